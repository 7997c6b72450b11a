#pragma once
// The conversation with one client: probe, handshake, then requests.

#include <cstdint>
#include <string>

namespace qn::server {

class Encryption;
class RequestHandlerFactory;
struct ServerConfig;

struct ConnectionSetup {
    int fd = -1;
    std::uint64_t id = 0;
    std::string peer;
    const ServerConfig* config = nullptr;
    RequestHandlerFactory* factory = nullptr;  // null: requests get an error reply
    const Encryption* encryption = nullptr;
    bool overLimit = false;                    // too many clients: refuse the handshake
};

// Serves until the client goes away, the stream loses its framing or the socket is shut
// down. Never closes the socket (the listener does, after this returns).
void serveConnection(const ConnectionSetup& setup);

}  // namespace qn::server
