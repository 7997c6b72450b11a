#pragma once
// Settings of one server run: the configuration file, then the command line on top.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qn::server {

struct ServerConfig {
    std::string listenAddress = "127.0.0.1";
    std::uint16_t port = 4545;               // 0 = any free port
    std::string portFile;                    // written once listening (tests read it)
    std::string pluginDir;                   // where relative plug-in names are looked up
    std::string encryption;                  // plug-in library; empty = no encryption
    std::uint32_t grantableOptions = 0x1F;   // option bits the server may grant
    std::uint32_t maxMessageSize = 1048576;  // body limit announced in the handshake
    std::uint32_t maxStatements = 0;         // per connection; 0 = no limit
    std::uint32_t maxConnections = 256;      // beyond this the handshake is refused
    // Every key of the file, lower-cased, so request executors can read their own.
    std::map<std::string, std::string> values;

    // The value of a key of the file (any case), if present.
    std::optional<std::string> value(const std::string& key) const;
};

// Reads "key = value" lines into `config`. Blank lines and lines starting with '#' or ';'
// are ignored, as are "[section]" lines. Returns false with a message in `error` for an
// unreadable file, a line without '=' or an invalid value of a known key.
bool loadConfigText(const std::string& text, ServerConfig& config, std::string& error);
bool loadConfigFile(const std::string& path, ServerConfig& config, std::string& error);

// Applies one known key (case-insensitive) to `config`; unknown keys are only stored.
bool applyConfigValue(const std::string& key, const std::string& value, ServerConfig& config,
                      std::string& error);

// Command line: --config <file> --listen <address> --port <n> --port-file <path>
// --plugin-dir <dir> --encryption <plug-in>. Values on the command line win over the file.
// Returns false with `error` set on a bad argument; `help` is set for --help.
bool parseCommandLine(const std::vector<std::string>& args, ServerConfig& config,
                      std::string& error, bool& help);

const char* usageText();

}  // namespace qn::server
