#include "Session.h"

#include "InstallerPaths.h"
#include "Protocol.h"
#include "ServerList.h"
#include "SessionSockets.h"
#include "driver/wire/Channel.h"

#include <odbcinst.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace qn::session {
namespace {

int fail(SessionFailure& failure, SessionFailure::Kind kind, const char* state, int message,
         int native, std::uint32_t status) {
    failure.kind = kind;
    failure.sqlState = state;
    failure.messageNumber = message;
    failure.nativeCode = native;
    failure.status = status;
    return -1;
}

int communication(SessionFailure& failure, int native, std::uint32_t status) {
    return fail(failure, SessionFailure::Kind::Communication, "08S01", 0, native, status);
}

// The server list entry for an address reached without a server name: an existing
// definition names the connection; otherwise the address becomes a new definition.
void nameServer(const SessionRequest& request, const std::string& address, long port) {
    ServerList list;
    const std::string portText = std::to_string(port);
    const std::string found = list.findByAddress(address, portText);
    if (!found.empty()) {
        *request.serverName = found;
        return;
    }
    if (list.positionOf(address) != 0) return;
    if (list.add(address) != 0) {
        list.writeKey(address, "IP", address);
        list.writeKey(address, "Port", portText);
    }
}

// The file that defines the data source. Writing through the name "odbc.ini" would put
// a user-file section in front of a system data source that lacks everything else, and
// the driver manager would no longer find its driver.
std::string dataSourceFile(const std::string& dataSource) {
    for (const std::string& file : {userDataSourceFile(), systemDataSourceFile()}) {
        char keys[64] = {};
        if (SQLGetPrivateProfileString(dataSource.c_str(), nullptr, "", keys, sizeof keys,
                                       file.c_str()) > 0) {
            return file;
        }
    }
    return {};
}

void refreshStoredAddress(const std::string& dataSource, const std::string& address) {
    const std::string file = dataSourceFile(dataSource);
    if (file.empty() || address.empty()) return;
    SQLWritePrivateProfileString(dataSource.c_str(), "StoredIP", address.c_str(), file.c_str());
}

}  // namespace

long portNumber(const std::string& text) {
    // strtol's own rules (blanks, sign, digits) and nothing beyond what fits.
    errno = 0;
    const long v = std::strtol(text.c_str(), nullptr, 10);
    if (errno == ERANGE || v > 65535) return 0;
    return v;
}

int refusalMessage(std::uint32_t extra) {
    switch (extra) {
    case 1: return 40;
    case 2: return 41;
    case 3: return 42;
    case 4: return 43;
    case 5: return 44;
    case 6: return 59;
    default: return 45;
    }
}

bool connectToAddress(qn::Channel& channel, const std::string& name, int port) {
    int fd = kInvalidSocket;
    std::uint32_t status = 0;
    if (!cltBeginSessionByPort(name.c_str(), port, &fd, &status)) {
        channel.setChannelError(status);
        return false;
    }
    if (!channel.attach(fd)) return false;
    channel.setChannelError(status == CLIENT_OK ? 0 : status);
    return true;
}

int handshake(qn::Channel& channel, std::uint32_t requestedOptions, SessionState& state,
              SessionFailure& failure) {
    if (!channel.beginRequest(qn::kHandshakeType, qn::kHandshakeExtra)) {
        return communication(failure, NATIVE_BEGIN, channel.errorCode());
    }
    if (!channel.putLong(static_cast<std::int32_t>(requestedOptions | protocol::kAlwaysRequested))) {
        return communication(failure, NATIVE_PUT, channel.errorCode());
    }
    if (!channel.send()) return communication(failure, NATIVE_SEND, channel.errorCode());
    if (!channel.receive()) return communication(failure, NATIVE_RECEIVE, channel.errorCode());
    const std::uint32_t extra = channel.extra();
    if (extra != qn::kHandshakeExtra) {
        return fail(failure, SessionFailure::Kind::Message, "08S01", refusalMessage(extra), 0, 0);
    }
    unsigned char block[protocol::kSessionResultSize] = {};
    std::uint32_t length = 0;
    bool absent = false;
    if (!channel.getBinary(block, sizeof block, &length, &absent) || absent ||
        length != sizeof block) {
        const std::uint32_t code = channel.channelError() ? channel.channelError()
                                                          : std::uint32_t(CMESSAGE_MISSING_ITEM);
        return communication(failure, NATIVE_REPLY_BLOCK, code);
    }
    state.result.grantedOptions = qn::readU32(block);
    state.result.maxMessageSize = qn::readU32(block + 4);
    state.result.maxStatements = qn::readU32(block + 8);
    // A server announcing less than the opening size would strand every later reply.
    if (state.result.maxMessageSize >= kInitialCapacity) {
        channel.setMaxSize(state.result.maxMessageSize);
    }
    state.handshakeDone = true;
    return 0;
}

int openServerSession(qn::Channel& channel, SessionState& state, const SessionRequest& request,
                      SessionFailure& failure) {
    failure = SessionFailure{};
    if (!channel.isOpen()) {
        state = SessionState{};
        if (!request.serverName ||
            (request.storedAddress.empty() && request.networkAddress.empty())) {
            return fail(failure, SessionFailure::Kind::Message, "08001", 7, 0, 0);
        }
        const long port = portNumber(request.portText);
        if (port <= 0) return fail(failure, SessionFailure::Kind::Message, "08001", 8, 0, 0);
        long timeout = std::strtol(request.timeoutText.empty() ? "0" : request.timeoutText.c_str(),
                                   nullptr, 10);
        if (timeout < 0) timeout = 0;

        // The stored numeric address saves a name look-up; without TryIP it is only tried
        // after the network address.
        const bool storedFirst = request.tryStoredAddress;
        const std::string& first = storedFirst ? request.storedAddress : request.networkAddress;
        const std::string& second = storedFirst ? request.networkAddress : request.storedAddress;
        bool connected = !first.empty() && connectToAddress(channel, first, int(port));
        bool usedNetworkAddress = connected && !storedFirst;
        if (!connected && !second.empty()) {
            connected = connectToAddress(channel, second, int(port));
            usedNetworkAddress = connected && storedFirst;
        }
        if (!connected) return communication(failure, NATIVE_CONNECT, channel.errorCode());

        if (usedNetworkAddress && request.tryStoredAddress && !request.storedAddress.empty() &&
            !request.dataSource.empty()) {
            refreshStoredAddress(request.dataSource, peerAddress(channel.socket()));
        }
        if (request.serverName->empty()) {
            nameServer(request,
                       request.networkAddress.empty() ? request.storedAddress
                                                      : request.networkAddress,
                       port);
        }
        channel.setReceiveTimeout(static_cast<std::uint32_t>(std::min(timeout, 0x7FFFFFFFL)));
        if (!request.encryption.empty()) channel.loadEncryption(request.encryption);
    }
    if (!state.handshakeDone) {
        if (handshake(channel, request.requestedOptions, state, failure) != 0) {
            channel.detach();
            state = SessionState{};
            return -1;
        }
    }
    return 0;
}

}  // namespace qn::session
