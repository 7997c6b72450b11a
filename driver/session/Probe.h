#pragma once
// Asking a port whether a Quill Net server answers there, and searching a range of
// ports for one (the Find Port button).

#include <cstdint>
#include <string>

namespace qn::session {

// 1 when a server answers the probe on name:port within `seconds` (0 = no limit).
// `connected` tells whether the port accepted the connection at all, `peer` is then the
// dotted address reached.
bool probe(const std::string& name, int port, std::uint32_t seconds, bool* connected = nullptr,
           std::string* peer = nullptr);

// The first port in low..high that answers the probe, 0 when none does or the name does
// not resolve. After the first port that accepts a connection, later ports are reached
// by the peer's dotted address instead of resolving the name again.
int findServerPort(const std::string& name, int low, int high, std::uint32_t seconds);

// The Find Port button's checks before searching.
struct PortSearch {
    int messageNumber = 0;  // 3 when the port field is invalid; 0 otherwise
    std::string name;       // searched name: the address, else the server name; may be empty
    int low = 0;
    int high = 0;
};
constexpr std::uint32_t kFindPortSeconds = 30;
constexpr int kDefaultPort = 4545;

PortSearch planPortSearch(const std::string& networkAddress, const std::string& serverName,
                          const std::string& portField);

// A port field is empty (the default port) or digits with blanks, at most 20 characters,
// worth at least 1. Returns the value, or 0 when the field is invalid.
long portFieldValue(const std::string& portField);

}  // namespace qn::session
