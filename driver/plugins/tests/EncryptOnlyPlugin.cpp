// Test plug-in exporting Encrypt but no Decrypt: the driver must refuse it.
#include "driver/wire/PluginApi.h"

extern "C" __attribute__((visibility("default"))) int Encrypt(unsigned char**, uint32_t*, uint32_t* info) {
    *info = 1;
    return 1;
}
