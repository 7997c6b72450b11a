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
