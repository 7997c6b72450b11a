// The reading half of the channel: receiving and taking items apart.
#include <cstring>
#include <string>

#include "Channel.h"

namespace qn {

bool Channel::receive() {
    if (!requireOpen()) {
        return false;
    }
    cursor_ = 0;
    timeval tv{};
    tv.tv_sec = time_t(timeoutSeconds_);
    if (msgReceive(socket_, &buf_, timeoutSeconds_ != 0 ? &tv : nullptr) != MESSAGE_OK) {
        return false;
    }
    const int32_t t = type();
    if (t < 0 && extra() > 32) {
        qn::setMaxSize(buf_, extra());
    }
    return true;
}

int32_t Channel::type() const { return isValid(&buf_) ? int32_t(headerField(buf_, kOffType)) : kNoMessage; }
uint32_t Channel::extra() const { return isValid(&buf_) ? headerField(buf_, kOffExtra) : 0; }
uint32_t Channel::size() const { return isValid(&buf_) ? headerField(buf_, kOffSize) : 0; }

int16_t Channel::replyCode() {
    lastReplyCode_ = int16_t(uint16_t(extra() & 0xFFFF));
    return lastReplyCode_;
}

bool Channel::peekItem(ItemHeader& h) {
    if (!requireOpen()) {
        return false;
    }
    const uint32_t total = size();
    if (cursor_ > total || total - cursor_ < kItemHeaderSize) {
        return fail(CMESSAGE_MISSING_ITEM);
    }
    const unsigned char* p = buf_.data + cursor_;
    h.index = readU32(p);
    h.tag = readU32(p + 4);
    h.length = readU32(p + 8);
    return true;
}

uint32_t Channel::peekIndex() {
    ItemHeader h;
    if (!peekItem(h)) {
        error_ = 0;
        return 0;
    }
    return h.index;
}

// Copies count bytes of an item whose payload is payloadLength long and moves
// past it; the item must lie inside the message.
bool Channel::readPayload(uint32_t payloadLength, void* destination, uint32_t count) {
    const uint64_t start = uint64_t(cursor_) + kItemHeaderSize;
    if (start + payloadLength > size()) {
        return fail(CMESSAGE_INVALID_ARGUMENT);
    }
    if (count != 0) {
        std::memcpy(destination, buf_.data + start, count);
    }
    cursor_ = uint32_t(start + payloadLength);
    return true;
}

namespace {

bool nullAllowedFor(uint32_t tag) { return tag != ITEM_SHORT && tag != ITEM_LONG && tag != ITEM_NULL; }

}  // namespace

bool Channel::getItem(uint32_t index, uint32_t tag, void* destination, uint32_t capacity, uint32_t* length,
                      bool* absent) {
    if (absent != nullptr) {
        *absent = false;
    }
    ItemHeader h;
    if (!peekItem(h)) {
        return false;
    }
    if (destination == nullptr) {
        return fail(CMESSAGE_INVALID_ARGUMENT);
    }
    if (h.tag == ITEM_NULL && nullAllowedFor(tag) && h.index == index) {
        if (!readPayload(0, nullptr, 0)) {
            return false;
        }
        if (absent != nullptr) {
            *absent = true;
        }
        if (length != nullptr) {
            *length = 0;
        }
        return true;
    }
    if (h.tag != tag || h.index != index) {
        return fail(CMESSAGE_WRONG_TYPE);
    }
    if (isOutputTag(tag)) {
        // Only the presence travels; the length is the area's capacity.
        if (capacity < 4) {
            return fail(CMESSAGE_TOO_LARGE);
        }
        if (!readPayload(4, destination, 4)) {
            return false;
        }
        if (length != nullptr) {
            *length = h.length;
        }
        return true;
    }
    if (h.length > capacity) {
        return fail(CMESSAGE_TOO_LARGE);
    }
    if (!readPayload(h.length, destination, h.length)) {
        return false;
    }
    auto* bytes = static_cast<unsigned char*>(destination);
    if (tag == ITEM_SCRAMBLED) {
        scramble(bytes, h.length);
    }
    if ((tag == ITEM_STRING || tag == ITEM_SCRAMBLED || tag == ITEM_BINARY) && h.length < capacity) {
        bytes[h.length] = 0;
    }
    if (length != nullptr) {
        *length = h.length;
    }
    return true;
}

bool Channel::getFixed(uint32_t tag, unsigned char* bytes, uint32_t width, bool* absent) {
    ItemHeader h;
    if (!peekItem(h)) {
        return false;
    }
    // An integer item of another width is as wrong as another tag.
    if (h.tag == tag && h.length != width) {
        return fail(CMESSAGE_WRONG_TYPE);
    }
    return getItem(1, tag, bytes, width, nullptr, absent);
}

bool Channel::getShort(int16_t* value) {
    unsigned char b[2];
    if (value == nullptr) {
        return fail(CMESSAGE_INVALID_ARGUMENT);
    }
    if (!getFixed(ITEM_SHORT, b, 2, nullptr)) {
        return false;
    }
    *value = int16_t(readU16(b));
    return true;
}

bool Channel::getLong(int32_t* value) {
    unsigned char b[4];
    if (value == nullptr) {
        return fail(CMESSAGE_INVALID_ARGUMENT);
    }
    if (!getFixed(ITEM_LONG, b, 4, nullptr)) {
        return false;
    }
    *value = int32_t(readU32(b));
    return true;
}

bool Channel::getHandle(uint32_t tag, uint32_t* handle, bool* absent) {
    unsigned char b[4] = {};
    bool isAbsent = false;
    if (handle == nullptr) {
        return fail(CMESSAGE_INVALID_ARGUMENT);
    }
    if (!getFixed(tag, b, 4, &isAbsent)) {
        return false;
    }
    *handle = isAbsent ? 0 : readU32(b);
    if (absent != nullptr) {
        *absent = isAbsent;
    }
    return true;
}

bool Channel::getString(uint32_t tag, char* destination, uint32_t capacity, uint32_t* length, bool* absent) {
    if (tag != ITEM_STRING && tag != ITEM_SCRAMBLED) {
        return fail(CMESSAGE_INVALID_ARGUMENT);
    }
    return getItem(1, tag, destination, capacity, length, absent);
}

bool Channel::getText(uint32_t tag, std::string* text, bool* absent) {
    if (text == nullptr || (tag != ITEM_STRING && tag != ITEM_SCRAMBLED)) {
        return fail(CMESSAGE_INVALID_ARGUMENT);
    }
    ItemHeader h;
    if (!peekItem(h)) {
        return false;
    }
    const uint64_t avail = size() - cursor_ - kItemHeaderSize;
    if (h.tag == tag && h.length > avail) {
        return fail(CMESSAGE_INVALID_ARGUMENT);
    }
    std::string out(h.tag == tag ? h.length + 1 : 1, '\0');
    uint32_t n = 0;
    if (!getItem(1, tag, out.data(), uint32_t(out.size()), &n, absent)) {
        return false;
    }
    out.resize(n);
    *text = std::move(out);
    return true;
}

bool Channel::getBinary(void* destination, uint32_t capacity, uint32_t* length, bool* absent, uint32_t index) {
    return getItem(index, ITEM_BINARY, destination, capacity, length, absent);
}

bool Channel::getOutput(uint32_t tag, uint32_t* capacity, uint32_t* presence, bool* absent) {
    if (capacity == nullptr || !isOutputTag(tag)) {
        return fail(CMESSAGE_INVALID_ARGUMENT);
    }
    unsigned char b[4] = {};
    bool isAbsent = false;
    uint32_t n = 0;
    if (!getItem(1, tag, b, 4, &n, &isAbsent)) {
        return false;
    }
    *capacity = n;
    if (presence != nullptr) {
        *presence = readU32(b);
    }
    if (absent != nullptr) {
        *absent = isAbsent;
    }
    return true;
}

}  // namespace qn
