#pragma once
// Data item tags, request types and string scrambling.
#include <cstdint>
#include <string>

namespace qn {

// Tag bits.
constexpr uint32_t kTagByReference = 0x1000;
constexpr uint32_t kTagToServer = 0x100;
constexpr uint32_t kTagOutputArea = 0x200;  // only the presence travels (4 bytes)
constexpr uint32_t kTagScrambled = 0x10000;

enum ItemTag : uint32_t {
    ITEM_NULL = 0x00000001,
    ITEM_SHORT = 0x00000005,
    ITEM_LONG = 0x00000006,
    ITEM_HDBC = 0x00000007,
    ITEM_HSTMT = 0x00000008,
    ITEM_HENV = 0x00000009,
    ITEM_BINARY = 0x00001102,
    ITEM_STRING = 0x00001104,
    ITEM_SCRAMBLED = 0x00011104,
    ITEM_OUT_BINARY = 0x00001202,
    ITEM_OUT_STRING = 0x00001204,
    ITEM_OUT_SHORT = 0x00001205,
    ITEM_OUT_LONG = 0x00001206,
    ITEM_OUT_HDBC = 0x00001207,
    ITEM_OUT_HSTMT = 0x00001208,
    ITEM_OUT_HENV = 0x00001209,
};

inline bool isOutputTag(uint32_t tag) { return (tag & kTagOutputArea) != 0; }

// String length meaning "measure it" (SQL_NTS).
constexpr int32_t kNts = -3;

// Request type of an ODBC 2.x function number (SQL_API_*), or of the two
// driver-defined requests.
constexpr int32_t requestType(uint32_t functionNumber) {
    return int32_t(0x80000000u | functionNumber);
}
constexpr uint32_t kBindBlockRequest = 123;
constexpr uint32_t kBulkFetchRequest = 124;

// Types whose four bytes spell ASCII text in wire order.
constexpr int32_t asciiType(const char (&t)[5]) {
    return int32_t(uint32_t(uint8_t(t[0])) | (uint32_t(uint8_t(t[1])) << 8) |
                   (uint32_t(uint8_t(t[2])) << 16) | (uint32_t(uint8_t(t[3])) << 24));
}
constexpr int32_t kHandshakeType = asciiType("QNET");
constexpr uint32_t kHandshakeExtra = 0x00010021;
constexpr int32_t kProbeType = asciiType("HBAY");
constexpr uint32_t kProbeExtra = uint32_t(asciiType("PING"));
constexpr int32_t kProbeReplyType = asciiType("OSRV");

// Reverses the bytes and flips bit 0x08 of each; its own inverse.
void scramble(unsigned char* bytes, uint32_t length);
std::string scrambled(const std::string& text);

}  // namespace qn
