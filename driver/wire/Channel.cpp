#include "Channel.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "Plugin.h"

namespace qn {

Channel::~Channel() { detach(); }

bool Channel::fail(uint32_t code) {
    error_ = code;
    return false;
}

bool Channel::requireOpen() {
    if (!open_ || !isValid(&buf_)) {
        return fail(CMESSAGE_NOT_INIT);
    }
    error_ = 0;
    return true;
}

bool Channel::attach(int socket) {
    if (socket < 0) {
        return fail(CMESSAGE_INVALID_ARGUMENT);
    }
    if (open_) {
        detach();
    }
    socket_ = socket;
    error_ = 0;
    cursor_ = 0;
    if (msgInitialize(&buf_) == 0) {
        return fail(buf_.status);
    }
    // The debug option needs privileges on Linux; lacking them is no reason
    // to refuse a working connection.
    const int on = 1;
    if (::setsockopt(socket_, SOL_SOCKET, SO_DEBUG, &on, sizeof on) != 0 && errno != EACCES &&
        errno != EPERM) {
        const uint32_t code = wsaFromErrno(errno);
        msgDestroy(&buf_);
        return fail(code);
    }
    open_ = true;
    return true;
}

bool Channel::detach() {
    bool ok = true;
    if (open_) {
        msgDestroy(&buf_);
    }
    unloadPlugin(buf_);
    if (socket_ >= 0) {
        if (::close(socket_) != 0) {
            error_ = wsaFromErrno(errno);
            ok = false;
        }
        socket_ = -1;
    }
    open_ = false;
    cursor_ = 0;
    return ok;
}

bool Channel::loadEncryption(const std::string& name) { return loadPlugin(buf_, name); }

bool Channel::begin(int32_t type) {
    if (!requireOpen()) {
        return false;
    }
    cursor_ = 0;
    if (msgSetSize(&buf_, 0) == 0) {
        return fail(buf_.status);
    }
    if (type < 0) {
        msgSetExtraData(&buf_, buf_.maxSize);
    } else {
        msgSetExtraData(&buf_, 0);
    }
    if (msgSetType(&buf_, type) == 0 || buf_.status != MESSAGE_OK) {
        return fail(buf_.status);
    }
    return true;
}

bool Channel::beginRequest(int32_t type) { return begin(type); }

bool Channel::beginRequest(int32_t type, uint32_t extra) {
    if (!begin(type)) {
        return false;
    }
    msgSetExtraData(&buf_, extra);
    return true;
}

bool Channel::putItem(uint32_t index, uint32_t tag, uint32_t length, const void* source) {
    if (!requireOpen()) {
        return false;
    }
    const uint32_t payload = isOutputTag(tag) ? 4 : length;
    if (payload != 0 && source == nullptr) {
        return fail(CMESSAGE_INVALID_ARGUMENT);
    }
    const uint64_t end = uint64_t(cursor_) + kItemHeaderSize + payload;
    if (end > UINT32_MAX || msgSetSize(&buf_, uint32_t(end)) == 0) {
        return fail(end > UINT32_MAX ? uint32_t(MESSAGE_SIZE_TOO_BIG) : buf_.status);
    }
    unsigned char header[kItemHeaderSize];
    writeU32(header, index);
    writeU32(header + 4, tag);
    writeU32(header + 8, length);
    uint32_t at = msgPutDataItem(&buf_, cursor_, header, kItemHeaderSize);
    if (payload != 0) {
        at = msgPutDataItem(&buf_, at, source, payload);
    }
    if (buf_.status != MESSAGE_OK) {
        return fail(buf_.status);
    }
    cursor_ = at;
    return true;
}

bool Channel::putNull(uint32_t index) { return putItem(index, ITEM_NULL, 0, nullptr); }

bool Channel::putShort(int16_t value) {
    unsigned char b[2];
    writeU16(b, uint16_t(value));
    return putItem(1, ITEM_SHORT, 2, b);
}

bool Channel::putLong(int32_t value) {
    unsigned char b[4];
    writeU32(b, uint32_t(value));
    return putItem(1, ITEM_LONG, 4, b);
}

bool Channel::putHandle(uint32_t tag, uint32_t handle) {
    if (tag != ITEM_HDBC && tag != ITEM_HSTMT && tag != ITEM_HENV) {
        return fail(CMESSAGE_INVALID_ARGUMENT);
    }
    unsigned char b[4];
    writeU32(b, handle);
    return putItem(1, tag, 4, b);
}

namespace {

// Length of a string argument, kNts measured; false for other negatives.
bool textLength(const char* text, int32_t length, uint32_t* out) {
    if (length == kNts) {
        *out = uint32_t(std::strlen(text));
        return true;
    }
    if (length < 0) {
        return false;
    }
    *out = uint32_t(length);
    return true;
}

}  // namespace

bool Channel::putString(const char* text, int32_t length) {
    if (text == nullptr) {
        return putNull();
    }
    uint32_t n = 0;
    if (!textLength(text, length, &n)) {
        return fail(CMESSAGE_INVALID_ARGUMENT);
    }
    return putItem(1, ITEM_STRING, n, text);
}

bool Channel::putScrambled(const char* text, int32_t length) {
    if (text == nullptr) {
        return putNull();
    }
    uint32_t n = 0;
    if (!textLength(text, length, &n)) {
        return fail(CMESSAGE_INVALID_ARGUMENT);
    }
    std::vector<unsigned char> copy(text, text + n);
    scramble(copy.data(), n);
    return putItem(1, ITEM_SCRAMBLED, n, copy.data());
}

bool Channel::putBinary(const void* data, uint32_t length, uint32_t index) {
    if (data == nullptr) {
        return putNull(index);
    }
    return putItem(index, ITEM_BINARY, length, data);
}

bool Channel::putOutput(uint32_t tag, const void* area, uint32_t capacity) {
    if (area == nullptr) {
        return putNull();
    }
    uint32_t presence = uint32_t(reinterpret_cast<uintptr_t>(area));
    return putOutputToken(tag, presence != 0 ? presence : 1, capacity);
}

bool Channel::putOutputToken(uint32_t tag, uint32_t presence, uint32_t capacity) {
    if (!isOutputTag(tag) || presence == 0) {
        return fail(CMESSAGE_INVALID_ARGUMENT);
    }
    unsigned char b[4];
    writeU32(b, presence);
    return putItem(1, tag, capacity, b);
}

bool Channel::send() {
    if (!requireOpen()) {
        return false;
    }
    cursor_ = 0;
    return msgSend(socket_, &buf_) == MESSAGE_OK;
}

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

uint32_t Channel::errorCode() const {
    if (error_ != 0) {
        return error_;
    }
    if (open_) {
        return buf_.status;
    }
    return CMESSAGE_NOT_INIT;
}

const char* Channel::errorText() { return onFindErrorASCII(errorCode(), errorText_); }

}  // namespace qn
