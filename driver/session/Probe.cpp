#include "Probe.h"

#include "Session.h"
#include "SessionSockets.h"
#include "driver/wire/Channel.h"

#include <algorithm>
#include <cctype>

namespace qn::session {

bool probe(const std::string& name, int port, std::uint32_t seconds, bool* connected,
           std::string* peer) {
    if (connected) *connected = false;
    qn::Channel channel;
    if (!connectToAddress(channel, name, port)) return false;
    if (connected) *connected = true;
    if (peer) *peer = peerAddress(channel.socket());
    channel.setReceiveTimeout(seconds);
    const bool answered = channel.beginRequest(qn::kProbeType, qn::kProbeExtra) && channel.send() &&
                          channel.receive() && channel.type() == qn::kProbeReplyType;
    channel.detach();
    return answered;
}

int findServerPort(const std::string& name, int low, int high, std::uint32_t seconds) {
    std::string target;
    if (!resolveAddress(name, target)) return 0;
    // The name as given until a port accepts, so the first attempts behave like the
    // user's own connections would.
    target = name;
    bool reached = false;
    for (int port = std::max(low, 1); port <= high && port <= 65535; ++port) {
        bool connected = false;
        std::string peer;
        if (probe(target, port, seconds, &connected, &peer)) return port;
        if (connected && !reached && !peer.empty()) {
            target = peer;
            reached = true;
        }
    }
    return 0;
}

long portFieldValue(const std::string& portField) {
    if (portField.size() > 20) return 0;
    long value = 0;
    bool digits = false;
    for (const char c : portField) {
        if (c == ' ') continue;
        if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
        digits = true;
        // Saturates: any value past the last port is simply "large".
        value = std::min(value * 10 + (c - '0'), 1000000L);
    }
    if (!digits) return kDefaultPort;
    return value;
}

PortSearch planPortSearch(const std::string& networkAddress, const std::string& serverName,
                          const std::string& portField) {
    PortSearch plan;
    const long value = portFieldValue(portField);
    if (value < 1) {
        plan.messageNumber = 3;
        return plan;
    }
    plan.name = networkAddress.empty() ? serverName : networkAddress;
    const long centre = std::clamp(value, 6L, 32700L);
    plan.low = static_cast<int>(centre - 5);
    plan.high = static_cast<int>(centre + 65);
    return plan;
}

}  // namespace qn::session
