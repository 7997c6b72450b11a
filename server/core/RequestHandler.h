#pragma once
// The seam between the server's protocol core (listener, probe, handshake, encryption)
// and whatever executes the requests that follow the handshake.

#include <cstdint>
#include <memory>
#include <string>

namespace qn {
struct MessageBuffer;
}

namespace qn::server {

struct ServerConfig;

// What the core knows about one client connection. Handlers keep their own state in
// the handler object the factory made for this connection.
struct ConnectionContext {
    std::uint64_t id = 0;               // unique within one server run
    std::string peerAddress;            // dotted address of the client
    std::uint32_t grantedOptions = 0;   // option bits agreed in the handshake
    std::uint32_t maxMessageSize = 0;   // largest body either side may send
    std::uint32_t maxStatements = 0;    // statements allowed; 0 = no limit
    const ServerConfig* config = nullptr;
};

class RequestHandler {
public:
    virtual ~RequestHandler() = default;

    // Called for every request after the handshake. `request` holds the received,
    // already decrypted message (negative type). `reply` is cleaned and empty: the
    // handler puts the reply items and sets the extra field (low 16 bits = the ODBC
    // return code). The core sets the reply type and sends it, encrypted if need be.
    virtual void handle(ConnectionContext& context, const qn::MessageBuffer& request,
                        qn::MessageBuffer& reply) = 0;

    // The client went away (or the server is stopping): release everything held for it.
    virtual void disconnected(ConnectionContext& context) = 0;
};

// The core asks the factory for one handler per connection, right after the handshake.
// Returning null refuses the connection (the client sees the "no thread" refusal).
class RequestHandlerFactory {
public:
    virtual ~RequestHandlerFactory() = default;
    virtual std::unique_ptr<RequestHandler> create(ConnectionContext& context) = 0;
};

// Defined by the request executor (server/exec, CMake target qn_server_exec) when it is
// built; the server program uses it when that target exists and answers every request
// with an error reply otherwise.
std::unique_ptr<RequestHandlerFactory> makeRequestHandlerFactory(const ServerConfig& config);

}  // namespace qn::server
