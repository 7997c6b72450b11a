#pragma once
// The named server definitions kept in "QUILLNET.INI", read and written through the
// ODBC installer library's profile functions.
//
// The file lives in the unixODBC system configuration folder: $ODBCSYSINI/QUILLNET.INI
// when ODBCSYSINI is set, otherwise the folder unixODBC was built with (usually /etc).

#include <string>

namespace qn::session {

// Absolute path of "QUILLNET.INI".
std::string serverListPath();

struct ServerDefinition {
    std::string ip;        // as entered: host name or dotted address
    std::string port;      // decimal text
    std::string tryIP;     // "Yes" or "No"
    std::string storedIP;  // dotted address found when saved, or empty
};

class ServerList {
public:
    explicit ServerList(std::string path = serverListPath());

    const std::string& path() const { return path_; }

    int count() const;
    // Name at position 1..count; empty outside.
    std::string nameAt(int position) const;
    // 1-based position of the name (exact, case-sensitive), 0 when absent.
    int positionOf(const std::string& name) const;
    // Appends a name; returns its position, or 0 when the file cannot be written.
    int add(const std::string& name);
    // Gives the entry at `position` another name; false outside the list.
    bool rename(int position, const std::string& newName);
    // Removes a name: the last entry moves into its slot. False when absent.
    bool remove(const std::string& name);
    // First entry whose Port equals `portText` and whose IP or Stored IP equals
    // `address`; empty when none.
    std::string findByAddress(const std::string& address, const std::string& portText) const;

    // The server's section (empty values for missing keys).
    ServerDefinition definition(const std::string& name) const;
    // Writes IP, TryIP, Port and Stored IP of the server's section.
    bool writeDefinition(const std::string& name, const ServerDefinition& definition);
    // Writes only some keys (the automatic definition of a connect writes IP and Port).
    bool writeKey(const std::string& name, const char* key, const std::string& value);
    std::string readKey(const std::string& name, const char* key,
                        const std::string& fallback = std::string()) const;

private:
    std::string path_;
};

}  // namespace qn::session
