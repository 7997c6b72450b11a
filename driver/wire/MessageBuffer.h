#pragma once
// One message of the driver's wire protocol and the exported msg* functions.
// All wire integers are little-endian whatever the host.
#include <sys/time.h>

#include <cstddef>
#include <cstdint>

#include "Export.h"
#include "PluginApi.h"
#include "Status.h"

namespace qn {

constexpr uint32_t kMessageMagic = 0xABCDDCBAu;
constexpr uint32_t kHeaderSize = 20;
constexpr uint32_t kItemHeaderSize = 12;
constexpr uint32_t kInitialCapacity = 1024;
constexpr uint32_t kInitialMaxSize = 16384;
constexpr int32_t kNoMessage = -1;
constexpr uint32_t kShrinkInterval = 50;
// Ceiling for any maximum size, whatever a peer asks for: keeps a hostile
// header from making us allocate gigabytes.
constexpr uint32_t kMaxSizeCeiling = 64u * 1024u * 1024u;
// Room a cipher may add to a body beyond the maximum size (nonce, tag).
constexpr uint32_t kCipherSlack = 1024;

// Header field offsets inside the block.
constexpr size_t kOffMagic = 0;
constexpr size_t kOffType = 4;
constexpr size_t kOffSize = 8;
constexpr size_t kOffExtra = 12;
constexpr size_t kOffEncryptionInfo = 16;

// Plain struct with C layout: the exported functions take it by pointer.
// Zero-initialise before msgInitialize (the default initialisers do).
struct MessageBuffer {
    unsigned char* block = nullptr;  // malloc'ed: header + data area
    unsigned char* data = nullptr;   // block + 20
    uint32_t capacity = 0;           // bytes available in the data area
    int32_t messageCount = 0;        // since the last growth or shrink check
    uint32_t growthFactor = 0;
    uint32_t shrinkFactor = 0;
    uint32_t maxSize = 0;
    uint32_t status = 0;
    QnEncryptFn encrypt = nullptr;
    QnDecryptFn decrypt = nullptr;
    void* plugin = nullptr;  // dlopen handle
};

bool isValid(const MessageBuffer* b);

// Little-endian access to raw bytes.
inline uint32_t readU32(const unsigned char* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void writeU32(unsigned char* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
inline uint16_t readU16(const unsigned char* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline void writeU16(unsigned char* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

// Header fields of an initialised buffer (no validity check).
inline uint32_t headerField(const MessageBuffer& b, size_t off) { return readU32(b.block + off); }
inline void setHeaderField(MessageBuffer& b, size_t off, uint32_t v) { writeU32(b.block + off, v); }

// Sets the maximum size, clamped to kMaxSizeCeiling.
void setMaxSize(MessageBuffer& b, uint32_t maxSize);

// msgSetSize with an explicit limit (the receive path allows cipher slack).
int setSizeLimited(MessageBuffer* b, uint32_t size, uint64_t limit);

}  // namespace qn

QN_EXPORT int msgInitialize(qn::MessageBuffer* buffer);
QN_EXPORT void msgDestroy(qn::MessageBuffer* buffer);
QN_EXPORT int msgClean(qn::MessageBuffer* buffer);
// socket: a connected stream socket descriptor. Both return the new status.
QN_EXPORT uint32_t msgSend(int socket, qn::MessageBuffer* buffer);
// timeout null waits without limit.
QN_EXPORT uint32_t msgReceive(int socket, qn::MessageBuffer* buffer, const struct timeval* timeout);
QN_EXPORT uint32_t msgPutDataItem(qn::MessageBuffer* buffer, uint32_t offset, const void* source, uint32_t length);
QN_EXPORT uint32_t msgGetDataItem(qn::MessageBuffer* buffer, uint32_t offset, void* destination, uint32_t length);
QN_EXPORT int msgSetType(qn::MessageBuffer* buffer, int32_t type);
QN_EXPORT int32_t msgGetType(qn::MessageBuffer* buffer);
QN_EXPORT int msgSetSize(qn::MessageBuffer* buffer, uint32_t size);
QN_EXPORT uint32_t msgGetSize(qn::MessageBuffer* buffer);
QN_EXPORT uint32_t msgSetExtraData(qn::MessageBuffer* buffer, uint32_t value);
QN_EXPORT uint32_t msgGetExtraData(qn::MessageBuffer* buffer);
