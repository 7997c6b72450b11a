#pragma once
// Opening and closing the TCP session of a connection, with results in the
// driver's status codes (200 or a Windows Sockets number).

#include <cstdint>
#include <string>

#include "driver/wire/Export.h"

namespace qn::session {

constexpr int kInvalidSocket = -1;

// Resolves a dotted address or host name to its first IPv4 address in dotted form.
// False when it does not resolve.
bool resolveAddress(const std::string& name, std::string& dotted);
bool isDottedAddress(const std::string& name);

// Dotted address of the connected peer, empty when unknown.
std::string peerAddress(int socket);

}  // namespace qn::session

// name: dotted address or host name. On success *socket is the connected socket,
// *status 200 and the result 1; otherwise *socket is -1, *status the reason and 0.
QN_EXPORT int cltBeginSessionByPort(const char* name, int port, int* socket, uint32_t* status);
// Closes *socket and makes it -1; *status 200 and 1, or the reason and 0.
QN_EXPORT int cltEndSession(int* socket, uint32_t* status);
