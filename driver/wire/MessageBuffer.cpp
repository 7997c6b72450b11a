#include "MessageBuffer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace qn {

bool isValid(const MessageBuffer* b) {
    return b != nullptr && b->block != nullptr && b->data != nullptr &&
           readU32(b->block + kOffMagic) == kMessageMagic;
}

void setMaxSize(MessageBuffer& b, uint32_t maxSize) {
    b.maxSize = std::min(maxSize, kMaxSizeCeiling);
}

int setSizeLimited(MessageBuffer* b, uint32_t size, uint64_t limit) {
    if (!isValid(b)) {
        if (b != nullptr) {
            b->status = CMESSAGE_INVALID_ARGUMENT;
        }
        return 0;
    }
    if (size > limit) {
        b->status = MESSAGE_SIZE_TOO_BIG;
        return 0;
    }
    if (size > b->capacity) {
        uint64_t capacity = uint64_t(size) * b->growthFactor;
        if (capacity > limit) {
            capacity = size;
        }
        void* grown = std::realloc(b->block, size_t(capacity) + kHeaderSize);
        if (grown == nullptr) {
            // The old block is still ours: release it rather than leak it.
            std::free(b->block);
            b->block = nullptr;
            b->data = nullptr;
            b->capacity = 0;
            b->status = MESSAGE_MEMORY_ALLOC;
            return 0;
        }
        b->block = static_cast<unsigned char*>(grown);
        b->data = b->block + kHeaderSize;
        b->capacity = uint32_t(capacity);
        b->messageCount = 0;
    }
    setHeaderField(*b, kOffSize, size);
    b->status = MESSAGE_OK;
    return 1;
}

namespace {

bool checkValid(MessageBuffer* b) {
    if (isValid(b)) {
        return true;
    }
    if (b != nullptr) {
        b->status = CMESSAGE_INVALID_ARGUMENT;
    }
    return false;
}

// Bounds shared by the two item copies; sets 303 when they are not met.
bool itemInBounds(MessageBuffer* b, uint32_t offset, const void* bytes, uint32_t length) {
    const uint32_t size = headerField(*b, kOffSize);
    if (bytes == nullptr || offset >= size || uint64_t(offset) + length > size) {
        b->status = CMESSAGE_INVALID_ARGUMENT;
        return false;
    }
    b->status = MESSAGE_OK;
    return true;
}

}  // namespace
}  // namespace qn

using qn::MessageBuffer;

int msgInitialize(MessageBuffer* b) {
    if (b == nullptr) {
        return 0;
    }
    if (b->block != nullptr && qn::readU32(b->block + qn::kOffMagic) == qn::kMessageMagic) {
        b->status = qn::CMESSAGE_INVALID_ARGUMENT;
        return 0;
    }
    b->block = static_cast<unsigned char*>(std::malloc(qn::kHeaderSize + qn::kInitialCapacity));
    if (b->block == nullptr) {
        b->data = nullptr;
        b->status = qn::MESSAGE_MEMORY_ALLOC;
        return 0;
    }
    b->data = b->block + qn::kHeaderSize;
    std::memset(b->block, 0, qn::kHeaderSize);
    qn::setHeaderField(*b, qn::kOffMagic, qn::kMessageMagic);
    qn::setHeaderField(*b, qn::kOffType, uint32_t(qn::kNoMessage));
    b->capacity = qn::kInitialCapacity;
    b->messageCount = 0;
    b->growthFactor = 2;
    b->shrinkFactor = 4;
    b->maxSize = qn::kInitialMaxSize;
    b->status = qn::MESSAGE_OK;
    return 1;
}

void msgDestroy(MessageBuffer* b) {
    if (b == nullptr) {
        return;
    }
    std::free(b->block);
    b->block = nullptr;
    b->data = nullptr;
    b->capacity = 0;
    b->messageCount = 0;
    b->growthFactor = 0;
    b->shrinkFactor = 0;
    b->maxSize = 0;
    b->status = qn::MESSAGE_OK;
}

int msgClean(MessageBuffer* b) {
    if (!qn::checkValid(b)) {
        return 0;
    }
    const uint32_t previousSize = qn::headerField(*b, qn::kOffSize);
    qn::setHeaderField(*b, qn::kOffType, uint32_t(qn::kNoMessage));
    qn::setHeaderField(*b, qn::kOffSize, 0);
    qn::setHeaderField(*b, qn::kOffExtra, 0);
    if (b->messageCount >= int32_t(qn::kShrinkInterval)) {
        b->messageCount = 0;
        const uint32_t needed = std::max(qn::kInitialCapacity, previousSize);
        const uint32_t shrink = std::max<uint32_t>(b->shrinkFactor, 1);
        if (uint64_t(b->capacity) >= uint64_t(shrink) * needed) {
            const uint32_t capacity = b->capacity / shrink;
            void* smaller = std::realloc(b->block, size_t(capacity) + qn::kHeaderSize);
            if (smaller == nullptr) {
                // The old block stays valid and in use.
                b->status = qn::MESSAGE_MEMORY_ALLOC;
                return 0;
            }
            b->block = static_cast<unsigned char*>(smaller);
            b->data = b->block + qn::kHeaderSize;
            b->capacity = capacity;
        }
    }
    b->status = qn::MESSAGE_OK;
    return 1;
}

uint32_t msgPutDataItem(MessageBuffer* b, uint32_t offset, const void* source, uint32_t length) {
    if (!qn::checkValid(b) || !qn::itemInBounds(b, offset, source, length)) {
        return offset;
    }
    std::memcpy(b->data + offset, source, length);
    return offset + length;
}

uint32_t msgGetDataItem(MessageBuffer* b, uint32_t offset, void* destination, uint32_t length) {
    if (!qn::checkValid(b) || !qn::itemInBounds(b, offset, destination, length)) {
        return offset;
    }
    std::memcpy(destination, b->data + offset, length);
    return offset + length;
}

int msgSetType(MessageBuffer* b, int32_t type) {
    if (!qn::checkValid(b)) {
        return 0;
    }
    if (type == qn::kNoMessage) {
        b->status = qn::CMESSAGE_INVALID_ARGUMENT;
        return 1;
    }
    qn::setHeaderField(*b, qn::kOffType, uint32_t(type));
    b->status = qn::MESSAGE_OK;
    return 1;
}

int32_t msgGetType(MessageBuffer* b) {
    if (!qn::checkValid(b)) {
        return qn::kNoMessage;
    }
    return int32_t(qn::headerField(*b, qn::kOffType));
}

int msgSetSize(MessageBuffer* b, uint32_t size) {
    return qn::setSizeLimited(b, size, b != nullptr ? b->maxSize : 0);
}

uint32_t msgGetSize(MessageBuffer* b) {
    if (!qn::checkValid(b)) {
        return 0;
    }
    return qn::headerField(*b, qn::kOffSize);
}

uint32_t msgSetExtraData(MessageBuffer* b, uint32_t value) {
    if (!qn::checkValid(b)) {
        return 0;
    }
    qn::setHeaderField(*b, qn::kOffExtra, value);
    b->status = qn::MESSAGE_OK;
    return value;
}

uint32_t msgGetExtraData(MessageBuffer* b) {
    if (!qn::checkValid(b)) {
        return 0;
    }
    return qn::headerField(*b, qn::kOffExtra);
}
