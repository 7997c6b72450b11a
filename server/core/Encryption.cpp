#include "Encryption.h"

#include "driver/wire/MessageBuffer.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

namespace qn::server {
namespace {

std::string programFolder() {
    char path[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    std::string p(path, static_cast<std::size_t>(n));
    const auto slash = p.rfind('/');
    return slash == std::string::npos ? std::string(".") : p.substr(0, slash);
}

}  // namespace

Encryption::~Encryption() {
    if (library_) dlclose(library_);
}

bool Encryption::load(const std::string& name, const std::string& pluginDir,
                      std::string& error) {
    std::string path = name;
    if (name.find('/') == std::string::npos) {
        path = (pluginDir.empty() ? programFolder() : pluginDir) + "/" + name;
    }
    void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        const char* why = dlerror();
        error = "cannot load encryption plug-in " + path + (why ? std::string(": ") + why : "");
        return false;
    }
    void* enc = dlsym(lib, "Encrypt");
    void* dec = dlsym(lib, "Decrypt");
    if (!enc || !dec) {
        dlclose(lib);
        error = "encryption plug-in " + path + " does not export both Encrypt and Decrypt";
        return false;
    }
    library_ = lib;
    encrypt_ = enc;
    decrypt_ = dec;
    return true;
}

void Encryption::attach(qn::MessageBuffer& buffer) const {
    if (!active()) return;
    // The library handle stays with this object: a buffer's destruction must not unload
    // a plug-in other connections still use.
    buffer.encrypt = reinterpret_cast<QnEncryptFn>(encrypt_);
    buffer.decrypt = reinterpret_cast<QnDecryptFn>(decrypt_);
}

}  // namespace qn::server
