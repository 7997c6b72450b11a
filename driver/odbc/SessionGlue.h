// Opening and closing a connection's server session.
#pragma once

#include "Records.h"

namespace qn::odbc {

// Opens the session (when needed), makes the handshake and applies pending options.
SQLRETURN openServerSession(Connection &conn);
// Closes the socket of the session.
void closeServerSession(Connection &conn);

} // namespace qn::odbc
