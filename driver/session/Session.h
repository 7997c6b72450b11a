#pragma once
// Opening a connection's session with its server: address choice, StoredIP refresh,
// the automatic server-list entry, the plug-in, and the handshake.

#include <cstdint>
#include <string>

namespace qn {
class Channel;
}

namespace qn::session {

// Granted by the server in the handshake.
struct SessionResult {
    std::uint32_t grantedOptions = 0;  // bits of protocol::Option
    std::uint32_t maxMessageSize = 0;  // becomes the channel's maximum size
    std::uint32_t maxStatements = 0;   // 0 = no limit
};

// What a connection knows about its server when it connects.
struct SessionRequest {
    std::string dataSource;       // data source name; empty for temporary connections
    std::string* serverName = nullptr;  // the connection's server name; null = none
    std::string networkAddress;   // host name or dotted address
    std::string storedAddress;    // dotted address remembered in ODBC.INI (StoredIP)
    std::string portText;
    std::string encryption;       // plug-in name; empty = none
    std::string timeoutText;      // receive time-out in seconds; empty = none
    bool tryStoredAddress = true; // the data source's TryIP does not begin with "N"
    std::uint32_t requestedOptions = 0;
};

// Kept by the connection between calls. A lost connection resets it.
struct SessionState {
    bool handshakeDone = false;
    SessionResult result;
};

// Why opening the session failed; the ODBC layer turns it into an error record.
struct SessionFailure {
    enum class Kind { None, Message, Communication };
    Kind kind = Kind::None;
    std::string sqlState;        // "08001" or "08S01"
    int messageNumber = 0;       // string table number (Kind::Message)
    int nativeCode = 0;          // 20000-20030 (Kind::Communication); 0 for messages
    std::uint32_t status = 0;    // channel or socket code whose text describes it
};

// Native codes of the failing step.
enum NativeCode : int {
    NATIVE_BEGIN = 20000,
    NATIVE_PUT = 20003,
    NATIVE_REPLY_BLOCK = 20013,
    NATIVE_SEND = 20020,
    NATIVE_RECEIVE = 20021,
    NATIVE_CONNECT = 20030,
};

// Opens the channel when it is closed, then makes the handshake once per session.
// Returns 0 (SQL_SUCCESS) with `state` filled, or -1 (SQL_ERROR) with `failure`.
// A failed handshake closes the channel: the server ends a session it refused.
// Applying the connection's pending options afterwards is the caller's step.
int openServerSession(qn::Channel& channel, SessionState& state, const SessionRequest& request,
                      SessionFailure& failure);

// cltBeginSessionByPort followed by the channel's attach. On failure the channel error
// holds the session status.
bool connectToAddress(qn::Channel& channel, const std::string& name, int port);

// The handshake alone, on an open channel.
int handshake(qn::Channel& channel, std::uint32_t requestedOptions, SessionState& state,
              SessionFailure& failure);

// String table number of a handshake reply extra that is not the protocol version.
int refusalMessage(std::uint32_t extra);

// Port text as a number: leading blanks, optional sign, digits; anything else ends it.
long portNumber(const std::string& text);

}  // namespace qn::session
