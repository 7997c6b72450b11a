#include "Plugin.h"

#include <dlfcn.h>

namespace qn {
namespace {

bool hasSeparator(const std::string& name) {
    return name.find_first_of("/\\") != std::string::npos;
}

struct Entries {
    void* library = nullptr;
    QnEncryptFn encrypt = nullptr;
    QnDecryptFn decrypt = nullptr;
};

// Loads a file and looks up both exports; releases it when one is missing.
Entries open(const std::string& file) {
    Entries e;
    e.library = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (e.library == nullptr) {
        return e;
    }
    e.encrypt = reinterpret_cast<QnEncryptFn>(::dlsym(e.library, "Encrypt"));
    e.decrypt = reinterpret_cast<QnDecryptFn>(::dlsym(e.library, "Decrypt"));
    if (e.encrypt == nullptr || e.decrypt == nullptr) {
        ::dlclose(e.library);
        return Entries{};
    }
    return e;
}

}  // namespace

std::string driverDirectory() {
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&driverDirectory), &info) == 0 || info.dli_fname == nullptr) {
        return ".";
    }
    const std::string file = info.dli_fname;
    const size_t slash = file.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : file.substr(0, slash);
}

std::string pluginPath(const std::string& name) {
    if (hasSeparator(name)) {
        std::string path = name;
        for (char& c : path) {
            if (c == '\\') {
                c = '/';
            }
        }
        return path;
    }
    const std::string dir = driverDirectory();
    return dir == "/" ? "/" + name : dir + "/" + name;
}

bool loadPlugin(MessageBuffer& buffer, const std::string& name) {
    unloadPlugin(buffer);
    if (name.empty()) {
        return false;
    }
    Entries e = open(pluginPath(name));
    if (e.library == nullptr && hasSeparator(name)) {
        const std::string base = name.substr(name.find_last_of("/\\") + 1);
        if (!base.empty()) {
            e = open(base);
        }
    }
    if (e.library == nullptr) {
        return false;
    }
    buffer.plugin = e.library;
    buffer.encrypt = e.encrypt;
    buffer.decrypt = e.decrypt;
    return true;
}

void unloadPlugin(MessageBuffer& buffer) {
    if (buffer.plugin != nullptr) {
        ::dlclose(buffer.plugin);
    }
    buffer.plugin = nullptr;
    buffer.encrypt = nullptr;
    buffer.decrypt = nullptr;
}

bool checkPlugin(const std::string& name) {
    if (name.empty()) {
        return true;
    }
    Entries e = open(pluginPath(name));
    if (e.library == nullptr) {
        return false;
    }
    ::dlclose(e.library);
    return true;
}

}  // namespace qn
