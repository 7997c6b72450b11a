#include "ServerConfig.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <limits>
#include <sstream>

namespace qn::server {
namespace {

std::string trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// Decimal or 0x-prefixed hexadecimal, within [low, high]; nothing else on the line.
bool parseNumber(const std::string& text, std::uint64_t low, std::uint64_t high,
                 std::uint64_t& out) {
    const std::string t = trim(text);
    if (t.empty() || t[0] == '-' || t[0] == '+') return false;
    std::size_t used = 0;
    unsigned long long v = 0;
    try {
        const bool hex = t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X');
        v = std::stoull(t, &used, hex ? 16 : 10);
    } catch (...) {
        return false;
    }
    if (used != t.size() || v < low || v > high) return false;
    out = v;
    return true;
}

}  // namespace

std::optional<std::string> ServerConfig::value(const std::string& key) const {
    const auto it = values.find(lower(key));
    if (it == values.end()) return std::nullopt;
    return it->second;
}

bool applyConfigValue(const std::string& key, const std::string& value, ServerConfig& config,
                      std::string& error) {
    const std::string k = lower(trim(key));
    const std::string v = trim(value);
    std::uint64_t n = 0;
    auto number = [&](std::uint64_t low, std::uint64_t high) {
        if (parseNumber(v, low, high, n)) return true;
        error = "invalid value for " + key + ": '" + v + "' (expected " + std::to_string(low) +
                ".." + std::to_string(high) + ")";
        return false;
    };
    if (k == "listen") {
        if (v.empty()) {
            error = "empty listen address";
            return false;
        }
        config.listenAddress = v;
    } else if (k == "port") {
        if (!number(0, 65535)) return false;
        config.port = static_cast<std::uint16_t>(n);
    } else if (k == "portfile" || k == "port-file") {
        config.portFile = v;
    } else if (k == "plugindir" || k == "plugin-dir") {
        config.pluginDir = v;
    } else if (k == "encryption") {
        config.encryption = lower(v) == "none" ? std::string() : v;
    } else if (k == "options") {
        if (!number(0, 0x1F)) return false;
        config.grantableOptions = static_cast<std::uint32_t>(n);
    } else if (k == "maxmessagesize") {
        // Below 1024 even a handshake reply would not fit comfortably; the cap keeps a
        // client from making the server reserve absurd buffers.
        if (!number(1024, 64u * 1024 * 1024)) return false;
        config.maxMessageSize = static_cast<std::uint32_t>(n);
    } else if (k == "maxstatements") {
        if (!number(0, std::numeric_limits<std::uint32_t>::max())) return false;
        config.maxStatements = static_cast<std::uint32_t>(n);
    } else if (k == "maxconnections") {
        if (!number(1, 100000)) return false;
        config.maxConnections = static_cast<std::uint32_t>(n);
    }
    config.values[k] = v;
    return true;
}

bool loadConfigText(const std::string& text, ServerConfig& config, std::string& error) {
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        const std::string t = trim(line);
        if (t.empty() || t[0] == '#' || t[0] == ';' || t[0] == '[') continue;
        const auto eq = t.find('=');
        if (eq == std::string::npos || trim(t.substr(0, eq)).empty()) {
            error = "line " + std::to_string(lineNo) + ": expected key = value";
            return false;
        }
        std::string why;
        if (!applyConfigValue(t.substr(0, eq), t.substr(eq + 1), config, why)) {
            error = "line " + std::to_string(lineNo) + ": " + why;
            return false;
        }
    }
    return true;
}

bool loadConfigFile(const std::string& path, ServerConfig& config, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read configuration file " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (!loadConfigText(text.str(), config, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

const char* usageText() {
    return "usage: quillnet-server [--config FILE] [--listen ADDRESS] [--port N]\n"
           "                       [--port-file PATH] [--plugin-dir DIR] [--encryption PLUGIN]\n";
}

bool parseCommandLine(const std::vector<std::string>& args, ServerConfig& config,
                      std::string& error, bool& help) {
    help = false;
    // The file first, wherever --config stands, so that other options override it.
    std::vector<std::pair<std::string, std::string>> options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            help = true;
            return true;
        }
        static const char* const known[] = {"--config", "--listen", "--port", "--port-file",
                                            "--plugin-dir", "--encryption"};
        if (std::find(std::begin(known), std::end(known), a) == std::end(known)) {
            error = "unknown argument: " + a;
            return false;
        }
        if (i + 1 >= args.size()) {
            error = a + " needs a value";
            return false;
        }
        options.emplace_back(a.substr(2), args[++i]);
    }
    for (const auto& [name, value] : options) {
        if (name == "config" && !loadConfigFile(value, config, error)) return false;
    }
    for (const auto& [name, value] : options) {
        if (name != "config" && !applyConfigValue(name, value, config, error)) return false;
    }
    return true;
}

}  // namespace qn::server
