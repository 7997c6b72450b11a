// Encryption plug-in: AES-256-GCM with a pre-shared key (see README.md).
// Body on the wire: 12-byte nonce, ciphertext, 16-byte tag. The message type
// and extra value are authenticated with the body, so a changed reply code
// fails as surely as a changed byte of data.
#include <dlfcn.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "driver/wire/PluginApi.h"

#define QN_PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr size_t kHeader = 20;
constexpr size_t kNonce = 12;
constexpr size_t kTag = 16;
constexpr size_t kKey = 32;
// Marks a body enciphered by this plug-in (non-zero, so a peer without a
// plug-in refuses it).
constexpr uint32_t kInfo = 0x47434D01;

struct Key {
    bool ok = false;
    unsigned char bytes[kKey] = {};
};

std::string pluginFolder() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&pluginFolder), &info) == 0 || info.dli_fname == nullptr) {
        return ".";
    }
    const std::string file = info.dli_fname;
    const size_t slash = file.rfind('/');
    return slash == std::string::npos ? "." : file.substr(0, slash);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = char(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The key file holds 64 hexadecimal digits; blanks and line ends around them
// are ignored, anything else makes the key unusable.
Key readKey() {
    Key key;
    const char* named = std::getenv("QUILLNET_KEY_FILE");
    const std::string path = (named != nullptr && *named != '\0') ? named : pluginFolder() + "/quillnet.key";
    std::ifstream in(path, std::ios::binary);
    if (!in) return key;
    std::ostringstream text;
    text << in.rdbuf();
    std::string digits;
    for (char c : text.str()) {
        if (std::isspace(static_cast<unsigned char>(c)) == 0) digits.push_back(c);
    }
    if (digits.size() != 2 * kKey) return key;
    for (size_t i = 0; i < kKey; ++i) {
        const int hi = hexValue(digits[2 * i]);
        const int lo = hexValue(digits[2 * i + 1]);
        if (hi < 0 || lo < 0) return key;
        key.bytes[i] = static_cast<unsigned char>(hi * 16 + lo);
    }
    OPENSSL_cleanse(&digits[0], digits.size());
    key.ok = true;
    return key;
}

const Key& sharedKey() {
    static std::once_flag once;
    static Key key;
    std::call_once(once, [] { key = readKey(); });
    return key;
}

// Type and extra of the header in front of the body.
void associatedData(const unsigned char* body, unsigned char out[8]) {
    std::memcpy(out, body - kHeader + 4, 4);
    std::memcpy(out + 4, body - kHeader + 12, 4);
}

struct Cipher {
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    ~Cipher() { EVP_CIPHER_CTX_free(ctx); }
};

bool seal(const Key& key, const unsigned char* aad, const unsigned char* nonce, const unsigned char* plain,
          size_t n, unsigned char* out, unsigned char* tag) {
    Cipher c;
    int len = 0;
    return c.ctx != nullptr && EVP_EncryptInit_ex(c.ctx, EVP_aes_256_gcm(), nullptr, nullptr, nullptr) == 1 &&
           EVP_CIPHER_CTX_ctrl(c.ctx, EVP_CTRL_GCM_SET_IVLEN, int(kNonce), nullptr) == 1 &&
           EVP_EncryptInit_ex(c.ctx, nullptr, nullptr, key.bytes, nonce) == 1 &&
           EVP_EncryptUpdate(c.ctx, nullptr, &len, aad, 8) == 1 &&
           EVP_EncryptUpdate(c.ctx, out, &len, plain, int(n)) == 1 && size_t(len) == n &&
           EVP_EncryptFinal_ex(c.ctx, out + len, &len) == 1 &&
           EVP_CIPHER_CTX_ctrl(c.ctx, EVP_CTRL_GCM_GET_TAG, int(kTag), tag) == 1;
}

bool openSealed(const Key& key, const unsigned char* aad, const unsigned char* nonce, const unsigned char* sealed,
          size_t n, const unsigned char* tag, unsigned char* out) {
    Cipher c;
    int len = 0;
    return c.ctx != nullptr && EVP_DecryptInit_ex(c.ctx, EVP_aes_256_gcm(), nullptr, nullptr, nullptr) == 1 &&
           EVP_CIPHER_CTX_ctrl(c.ctx, EVP_CTRL_GCM_SET_IVLEN, int(kNonce), nullptr) == 1 &&
           EVP_DecryptInit_ex(c.ctx, nullptr, nullptr, key.bytes, nonce) == 1 &&
           EVP_DecryptUpdate(c.ctx, nullptr, &len, aad, 8) == 1 &&
           EVP_DecryptUpdate(c.ctx, out, &len, sealed, int(n)) == 1 && size_t(len) == n &&
           EVP_CIPHER_CTX_ctrl(c.ctx, EVP_CTRL_GCM_SET_TAG, int(kTag), const_cast<unsigned char*>(tag)) == 1 &&
           EVP_DecryptFinal_ex(c.ctx, out + len, &len) == 1;
}

}  // namespace

QN_PLUGIN_EXPORT int Encrypt(unsigned char** data, uint32_t* size, uint32_t* info) {
    const Key& key = sharedKey();
    if (!key.ok || data == nullptr || *data == nullptr || size == nullptr || info == nullptr ||
        *size > 0x7FFFFFFFu - kNonce - kTag) {
        return 0;
    }
    const size_t n = *size;
    unsigned char aad[8];
    associatedData(*data, aad);
    unsigned char nonce[kNonce];
    if (RAND_bytes(nonce, int(kNonce)) != 1) return 0;
    std::vector<unsigned char> sealed(n + kTag);
    if (!seal(key, aad, nonce, *data, n, sealed.data(), sealed.data() + n)) return 0;
    // Grow the driver's block to hold nonce and tag; the header moves with it.
    auto* block = static_cast<unsigned char*>(std::realloc(*data - kHeader, kHeader + kNonce + n + kTag));
    if (block == nullptr) return 0;
    *data = block + kHeader;
    std::memcpy(*data, nonce, kNonce);
    std::memcpy(*data + kNonce, sealed.data(), n + kTag);
    *size = uint32_t(kNonce + n + kTag);
    *info = kInfo;
    return 1;
}

QN_PLUGIN_EXPORT int Decrypt(unsigned char** data, uint32_t* size, uint32_t info) {
    const Key& key = sharedKey();
    if (!key.ok || data == nullptr || *data == nullptr || size == nullptr || info != kInfo ||
        *size < kNonce + kTag) {
        return 0;
    }
    const size_t n = *size - kNonce - kTag;
    unsigned char aad[8];
    associatedData(*data, aad);
    std::vector<unsigned char> plain(n + 1);
    if (!openSealed(key, aad, *data, *data + kNonce, n, *data + kNonce + n, plain.data())) {
        OPENSSL_cleanse(plain.data(), plain.size());
        return 0;
    }
    std::memcpy(*data, plain.data(), n);
    OPENSSL_cleanse(plain.data(), plain.size());
    *size = uint32_t(n);
    return 1;
}
