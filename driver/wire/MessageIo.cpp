// Writing a message to and reading it from a socket, with the encryption hooks.
#include <malloc.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "MessageBuffer.h"

namespace qn {
namespace {

// Result of one socket read attempt.
enum class Io { Data, Closed, TimedOut, Error };

int timeoutMillis(const timeval* timeout) {
    if (timeout == nullptr) {
        return -1;
    }
    if (timeout->tv_sec < 0 || timeout->tv_usec < 0) {
        return 0;
    }
    const long long ms = (long long)timeout->tv_sec * 1000 + (timeout->tv_usec + 999) / 1000;
    return ms > INT_MAX ? INT_MAX : int(ms);
}

// Waits for readability (under the time-out) and reads what is there.
Io readSome(int fd, unsigned char* into, size_t wanted, const timeval* timeout, size_t* got, int* err) {
    const int ms = timeoutMillis(timeout);
    if (ms >= 0) {
        pollfd p{fd, POLLIN, 0};
        int ready;
        do {
            ready = ::poll(&p, 1, ms);
        } while (ready < 0 && errno == EINTR);
        if (ready < 0) {
            *err = errno;
            return Io::Error;
        }
        if (ready == 0) {
            return Io::TimedOut;
        }
    }
    ssize_t n;
    do {
        n = ::recv(fd, into, wanted, 0);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        *err = errno;
        return Io::Error;
    }
    if (n == 0) {
        return Io::Closed;
    }
    *got = size_t(n);
    return Io::Data;
}

// Reads exactly wanted bytes, waiting for readability before each read;
// *have tells how many arrived when it ends otherwise.
Io readFully(int fd, unsigned char* into, size_t wanted, const timeval* timeout, size_t* have, int* err) {
    *have = 0;
    while (*have < wanted) {
        size_t got = 0;
        const Io io = readSome(fd, into + *have, wanted - *have, timeout, &got, err);
        if (io != Io::Data) {
            return io;
        }
        *have += got;
    }
    return Io::Data;
}

// Status of a read that ended early: the socket error, or the peer gone or
// silent (a short header when only part of one arrived).
uint32_t readFailure(Io io, int err, bool shortHeader) {
    if (io == Io::Error) {
        return wsaFromErrno(err);
    }
    return shortHeader ? MESSAGE_INVALID_FORMAT : MESSAGE_CONNECTION_CLOSED;
}

// Replaces the data area after a failed plug-in call: whatever block the
// plug-in left behind is freed and a fresh one of the old capacity carries the
// saved header with size 0.
void replaceWithEmpty(MessageBuffer* b, const unsigned char* savedHeader, unsigned char* left) {
    if (left != nullptr) {
        std::free(left - kHeaderSize);
    }
    b->block = static_cast<unsigned char*>(std::malloc(size_t(b->capacity) + kHeaderSize));
    if (b->block == nullptr) {
        b->data = nullptr;
        b->capacity = 0;
        return;
    }
    b->data = b->block + kHeaderSize;
    std::memcpy(b->block, savedHeader, kHeaderSize);
    setHeaderField(*b, kOffSize, 0);
}

// Takes over the block the plug-in returned; false when it cannot hold the
// size the plug-in claims (the block is then left for replaceWithEmpty).
bool adoptBlock(MessageBuffer* b, const unsigned char* savedHeader, unsigned char* data, uint32_t size) {
    unsigned char* block = data - kHeaderSize;
    const size_t usable = malloc_usable_size(block);
    if (usable < size_t(kHeaderSize) + size) {
        return false;
    }
    b->block = block;
    b->data = data;
    const size_t capacity = usable - kHeaderSize;
    b->capacity = capacity > UINT32_MAX ? UINT32_MAX : uint32_t(capacity);
    std::memcpy(b->block, savedHeader, kHeaderSize);
    setHeaderField(*b, kOffSize, size);
    return true;
}

bool encryptBody(MessageBuffer* b) {
    const uint32_t size = headerField(*b, kOffSize);
    if (b->encrypt == nullptr || b->decrypt == nullptr || size == 0) {
        setHeaderField(*b, kOffEncryptionInfo, 0);
        return true;
    }
    unsigned char saved[kHeaderSize];
    std::memcpy(saved, b->block, kHeaderSize);
    unsigned char* data = b->data;
    uint32_t newSize = size;
    uint32_t info = 0;
    const int ok = b->encrypt(&data, &newSize, &info);
    if (ok == 0 || data == nullptr || !adoptBlock(b, saved, data, newSize)) {
        replaceWithEmpty(b, saved, data);
        return false;
    }
    setHeaderField(*b, kOffEncryptionInfo, info);
    return true;
}

bool decryptBody(MessageBuffer* b) {
    const uint32_t size = headerField(*b, kOffSize);
    const uint32_t info = headerField(*b, kOffEncryptionInfo);
    const bool inUse = b->encrypt != nullptr && b->decrypt != nullptr;
    if (!inUse) {
        if (info != 0) {
            setHeaderField(*b, kOffSize, 0);
            return false;
        }
        return true;
    }
    if (size == 0) {
        return true;
    }
    unsigned char saved[kHeaderSize];
    std::memcpy(saved, b->block, kHeaderSize);
    unsigned char* data = b->data;
    uint32_t newSize = size;
    const int ok = b->decrypt(&data, &newSize, info);
    if (ok == 0 || data == nullptr || newSize > b->maxSize || !adoptBlock(b, saved, data, newSize)) {
        replaceWithEmpty(b, saved, data);
        return false;
    }
    return true;
}

uint32_t finish(MessageBuffer* b, uint32_t code) {
    b->status = code;
    return code;
}

}  // namespace
}  // namespace qn

using qn::MessageBuffer;

uint32_t msgSend(int socket, MessageBuffer* b) {
    if (b == nullptr) {
        return qn::CMESSAGE_INVALID_ARGUMENT;
    }
    if (socket < 0 || b->block == nullptr || b->data == nullptr) {
        return qn::finish(b, qn::CMESSAGE_INVALID_ARGUMENT);
    }
    b->messageCount++;
    if (qn::headerField(*b, qn::kOffMagic) != qn::kMessageMagic ||
        int32_t(qn::headerField(*b, qn::kOffType)) == qn::kNoMessage) {
        return qn::finish(b, qn::MESSAGE_INVALID_FORMAT);
    }
    if (!qn::encryptBody(b)) {
        return qn::finish(b, qn::MESSAGE_ENCRYPT_FAILED);
    }
    const size_t total = size_t(qn::kHeaderSize) + qn::headerField(*b, qn::kOffSize);
    size_t sent = 0;
    // A blocking send may still return early (a signal); carry on so the
    // stream never holds half a message followed by the next one.
    while (sent < total) {
        const ssize_t n = ::send(socket, b->block + sent, total - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return qn::finish(b, qn::wsaFromErrno(errno));
        }
        if (n == 0) {
            return qn::finish(b, sent == 0 ? qn::MESSAGE_CONNECTION_CLOSED : qn::MESSAGE_INVALID_FORMAT);
        }
        sent += size_t(n);
    }
    if (msgClean(b) == 0) {
        return b->status;
    }
    return qn::finish(b, qn::MESSAGE_OK);
}

uint32_t msgReceive(int socket, MessageBuffer* b, const struct timeval* timeout) {
    if (b == nullptr) {
        return qn::CMESSAGE_INVALID_ARGUMENT;
    }
    if (socket < 0 || !qn::isValid(b)) {
        return qn::finish(b, qn::CMESSAGE_INVALID_ARGUMENT);
    }
    if (msgClean(b) == 0) {
        return qn::finish(b, qn::MESSAGE_MEMORY_ALLOC);
    }

    // The header is read whole even when TCP delivers it in pieces; a peer
    // that stops part-way has sent a short header.
    unsigned char header[qn::kHeaderSize];
    size_t have = 0;
    int err = 0;
    const qn::Io headerRead = qn::readFully(socket, header, qn::kHeaderSize, timeout, &have, &err);
    if (headerRead != qn::Io::Data) {
        return qn::finish(b, qn::readFailure(headerRead, err, have != 0));
    }
    const int32_t type = int32_t(qn::readU32(header + qn::kOffType));
    if (qn::readU32(header + qn::kOffMagic) != qn::kMessageMagic || type == qn::kNoMessage) {
        return qn::finish(b, qn::MESSAGE_INVALID_FORMAT);
    }
    const uint32_t size = qn::readU32(header + qn::kOffSize);
    const uint32_t info = qn::readU32(header + qn::kOffEncryptionInfo);
    qn::setHeaderField(*b, qn::kOffType, uint32_t(type));
    qn::setHeaderField(*b, qn::kOffExtra, qn::readU32(header + qn::kOffExtra));
    qn::setHeaderField(*b, qn::kOffEncryptionInfo, info);

    if (size != 0) {
        // An enciphered body may exceed the plain maximum by the cipher's overhead.
        const bool enciphered = info != 0 && b->decrypt != nullptr && b->encrypt != nullptr;
        const uint64_t limit = uint64_t(b->maxSize) + (enciphered ? qn::kCipherSlack : 0);
        if (qn::setSizeLimited(b, size, limit) == 0) {
            return b->status;
        }
        const qn::Io bodyRead = qn::readFully(socket, b->data, size, timeout, &have, &err);
        if (bodyRead != qn::Io::Data) {
            return qn::finish(b, qn::readFailure(bodyRead, err, false));
        }
    }
    if (!qn::decryptBody(b)) {
        return qn::finish(b, qn::MESSAGE_DECRYPT_FAILED);
    }
    b->messageCount++;
    return qn::finish(b, qn::MESSAGE_OK);
}
