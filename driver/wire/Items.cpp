#include "Items.h"

#include <algorithm>

namespace qn {

void scramble(unsigned char* bytes, uint32_t length) {
    std::reverse(bytes, bytes + length);
    for (uint32_t i = 0; i < length; ++i) {
        bytes[i] ^= 0x08;
    }
}

std::string scrambled(const std::string& text) {
    std::string out = text;
    scramble(reinterpret_cast<unsigned char*>(out.data()), uint32_t(out.size()));
    return out;
}

}  // namespace qn
