#include "ServerList.h"

#include "InstallerPaths.h"

#include <odbcinst.h>

#include <cstdlib>
#include <vector>

namespace qn::session {
namespace {

constexpr const char* kListSection = "QNET Servers";
// Room for a whole value: every value the list holds is a name, an address or a number.
constexpr int kValueRoom = 1024;

std::string slotKey(int position) { return "Server" + std::to_string(position); }

int toCount(const std::string& text) {
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    return v > 0 && v < 100000 ? static_cast<int>(v) : 0;
}

}  // namespace

std::string serverListPath() { return systemConfigFolder() + "/QUILLNET.INI"; }

ServerList::ServerList(std::string path) : path_(std::move(path)) {}

std::string ServerList::readKey(const std::string& name, const char* key,
                                const std::string& fallback) const {
    std::vector<char> buffer(kValueRoom, '\0');
    SQLGetPrivateProfileString(name.c_str(), key, fallback.c_str(), buffer.data(),
                               static_cast<int>(buffer.size()), path_.c_str());
    buffer.back() = '\0';
    return std::string(buffer.data());
}

bool ServerList::writeKey(const std::string& name, const char* key, const std::string& value) {
    return SQLWritePrivateProfileString(name.c_str(), key, value.c_str(), path_.c_str()) != 0;
}

int ServerList::count() const { return toCount(readKey(kListSection, "Count", "0")); }

std::string ServerList::nameAt(int position) const {
    if (position < 1 || position > count()) return {};
    return readKey(kListSection, slotKey(position).c_str());
}

int ServerList::positionOf(const std::string& name) const {
    const int n = count();
    for (int i = 1; i <= n; ++i) {
        if (readKey(kListSection, slotKey(i).c_str()) == name) return i;
    }
    return 0;
}

int ServerList::add(const std::string& name) {
    const int position = count() + 1;
    // The slot first: a list whose Count is written last never names an empty slot.
    if (!writeKey(kListSection, slotKey(position).c_str(), name)) return 0;
    if (!writeKey(kListSection, "Count", std::to_string(position))) return 0;
    return position;
}

bool ServerList::rename(int position, const std::string& newName) {
    if (position < 1 || position > count()) return false;
    return writeKey(kListSection, slotKey(position).c_str(), newName);
}

bool ServerList::remove(const std::string& name) {
    const int position = positionOf(name);
    if (position == 0) return false;
    const int n = count();
    if (position != n && !writeKey(kListSection, slotKey(position).c_str(), nameAt(n))) {
        return false;
    }
    if (!writeKey(kListSection, "Count", std::to_string(n - 1))) return false;
    // The vacated last slot is dropped so the file holds no stale name.
    SQLWritePrivateProfileString(kListSection, slotKey(n).c_str(), nullptr, path_.c_str());
    return true;
}

std::string ServerList::findByAddress(const std::string& address,
                                      const std::string& portText) const {
    // An empty address would match every definition without a stored address.
    if (address.empty()) return {};
    const int n = count();
    for (int i = 1; i <= n; ++i) {
        const std::string name = readKey(kListSection, slotKey(i).c_str());
        if (name.empty() || readKey(name, "Port") != portText) continue;
        if (readKey(name, "IP") == address || readKey(name, "Stored IP") == address) return name;
    }
    return {};
}

ServerDefinition ServerList::definition(const std::string& name) const {
    ServerDefinition d;
    d.ip = readKey(name, "IP");
    d.port = readKey(name, "Port");
    d.tryIP = readKey(name, "TryIP");
    d.storedIP = readKey(name, "Stored IP");
    return d;
}

bool ServerList::writeDefinition(const std::string& name, const ServerDefinition& d) {
    return writeKey(name, "IP", d.ip) && writeKey(name, "TryIP", d.tryIP) &&
           writeKey(name, "Port", d.port) && writeKey(name, "Stored IP", d.storedIP);
}

}  // namespace qn::session
