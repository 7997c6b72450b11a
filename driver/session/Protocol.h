#pragma once
// Values of the handshake shared by the driver and the server.

#include <cstdint>

#include "driver/wire/Items.h"

namespace qn::protocol {

// The message types and extras of the handshake and the probe are in the message
// layer's Items.h (kHandshakeType, kHandshakeExtra, kProbeType, kProbeExtra,
// kProbeReplyType).

// Option bits a connection may ask for in the handshake.
enum Option : std::uint32_t {
    OPTION_DESCRIBE_CACHE = 1,
    OPTION_GETDATA_CACHE = 2,
    OPTION_FUNCTION_BITMAP = 4,
    OPTION_INFO_BLOCK = 8,
    OPTION_DICTIONARY_CACHE = 16,
};
// Always asked for on top of the connection's own bits.
constexpr std::uint32_t kAlwaysRequested = 0xD;

// Handshake reply extras other than kHandshakeExtra: why the server refused.
enum Refusal : std::uint32_t {
    REFUSE_NO_PROCESS = 1,
    REFUSE_NO_THREAD = 2,
    REFUSE_NO_SERVER_LIBRARY = 3,
    REFUSE_BAD_SERVER_LIBRARY = 4,  // also: the client speaks another protocol version
    REFUSE_INIT_FAILED = 5,         // also: a malformed handshake request
    REFUSE_DECRYPT_FAILED = 6,
};

// The 12-byte session result of a granted handshake.
constexpr std::uint32_t kSessionResultSize = 12;

// Reply codes (low 16 bits of a reply's extra).
constexpr std::uint32_t kReplyError = 0xFFFF;  // SQL_ERROR as an unsigned 16-bit field

}  // namespace qn::protocol
