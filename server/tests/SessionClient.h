#pragma once
// Test support: a driver-side session to a server on 127.0.0.1, opened the way a
// connection opens it. The server name is given so tests leave the server list alone.

#include "driver/session/Session.h"
#include "driver/wire/Channel.h"

#include <cstdint>
#include <string>

namespace qn::test {

struct SessionClient {
    Channel channel;
    session::SessionState state;
    session::SessionFailure failure;
    std::string serverName = "test";

    int open(int port, std::uint32_t options = 0, const std::string& encryption = "") {
        session::SessionRequest r;
        r.serverName = &serverName;
        r.networkAddress = "127.0.0.1";
        r.portText = std::to_string(port);
        r.timeoutText = "10";
        r.requestedOptions = options;
        r.encryption = encryption;
        return session::openServerSession(channel, state, r, failure);
    }

    // One request without items; the reply code, or 1000 when the exchange failed.
    int roundTrip(std::uint32_t function) {
        if (!channel.beginRequest(requestType(function)) || !channel.send() || !channel.receive()) {
            return 1000;
        }
        return channel.replyCode();
    }
};

}  // namespace qn::test
