// Test plug-in that exercises the memory contract: Encrypt flips every byte
// and appends a 4-byte trailer after reallocating the block (so it may move);
// Decrypt checks and removes the trailer and flips back.
#include <cstdlib>
#include <cstring>

#include "driver/wire/PluginApi.h"

#define QN_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
constexpr uint32_t kHeader = 20;
constexpr unsigned char kTrailer[4] = {'X', 'O', 'R', '!'};
constexpr uint32_t kInfo = 0x21524F58;
}  // namespace

QN_PLUGIN_EXPORT int Encrypt(unsigned char** data, uint32_t* size, uint32_t* info) {
    const uint32_t n = *size;
    // A fresh block (not a realloc) so the driver must take a moved block and
    // the old one is ours to free.
    auto* block = static_cast<unsigned char*>(std::malloc(kHeader + n + 4));
    if (block == nullptr) return 0;
    std::memcpy(block, *data - kHeader, kHeader);
    for (uint32_t i = 0; i < n; ++i) block[kHeader + i] = static_cast<unsigned char>((*data)[i] ^ 0xFF);
    std::memcpy(block + kHeader + n, kTrailer, 4);
    std::free(*data - kHeader);
    *data = block + kHeader;
    *size = n + 4;
    *info = kInfo;
    return 1;
}

QN_PLUGIN_EXPORT int Decrypt(unsigned char** data, uint32_t* size, uint32_t info) {
    if (info != kInfo || *size < 4 || std::memcmp(*data + *size - 4, kTrailer, 4) != 0) return 0;
    *size -= 4;
    for (uint32_t i = 0; i < *size; ++i) (*data)[i] ^= 0xFF;
    // Shrink in place through realloc, as the contract allows.
    auto* block = static_cast<unsigned char*>(std::realloc(*data - kHeader, kHeader + *size + 1));
    if (block == nullptr) return 0;
    *data = block + kHeader;
    return 1;
}
