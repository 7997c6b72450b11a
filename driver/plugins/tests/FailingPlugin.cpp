// Test plug-in that fails in the way named by QN_TEST_FAILURE:
//   "zero"  - returns 0 and leaves the block alone (the default)
//   "null"  - frees the block and leaves a null data pointer
//   "short" - claims a size larger than the block it leaves
#include <cstdlib>
#include <cstring>

#include "driver/wire/PluginApi.h"

#define QN_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

int fail(unsigned char** data, uint32_t* size) {
    const char* mode = std::getenv("QN_TEST_FAILURE");
    if (mode != nullptr && std::strcmp(mode, "null") == 0) {
        std::free(*data - 20);
        *data = nullptr;
        return 1;
    }
    if (mode != nullptr && std::strcmp(mode, "short") == 0) {
        *size = 1u << 30;
        return 1;
    }
    return 0;
}

}  // namespace

QN_PLUGIN_EXPORT int Encrypt(unsigned char** data, uint32_t* size, uint32_t* info) {
    *info = 7;
    return fail(data, size);
}

QN_PLUGIN_EXPORT int Decrypt(unsigned char** data, uint32_t* size, uint32_t) { return fail(data, size); }
