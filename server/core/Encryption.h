#pragma once
// The encryption plug-in the configuration names, loaded once and shared by every
// connection (each connection calls it only from its own thread).

#include <string>

namespace qn {
struct MessageBuffer;
}

namespace qn::server {

class Encryption {
public:
    Encryption() = default;
    ~Encryption();
    Encryption(const Encryption&) = delete;
    Encryption& operator=(const Encryption&) = delete;

    // A name with '/' is loaded as given; any other from `pluginDir`, or from the
    // server program's own folder when that is empty. Both Encrypt and Decrypt must
    // be exported. A server told to encrypt never falls back to plain text.
    bool load(const std::string& name, const std::string& pluginDir, std::string& error);
    bool active() const { return encrypt_ != nullptr; }

    // Makes the buffer encrypt and decrypt through the plug-in (no-op when inactive).
    void attach(qn::MessageBuffer& buffer) const;

private:
    void* library_ = nullptr;
    void* encrypt_ = nullptr;
    void* decrypt_ = nullptr;
};

}  // namespace qn::server
