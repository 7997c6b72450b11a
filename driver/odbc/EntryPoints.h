// The shape every exported call shares: find the record, hold the connection's
// lock for the whole call, clear the handle's error record, then do the work.
#pragma once

#include "Errors.h"

namespace qn::odbc {

template <class Work>
SQLRETURN onConnection(SQLHDBC handle, Work work) {
    if (!handle)
        return SQL_INVALID_HANDLE;
    auto &conn = *static_cast<Connection *>(handle);
    std::lock_guard<std::mutex> guard(conn.lock);
    conn.error.clear();
    return work(conn);
}

// `needsServer`: reports message 30 when the connection has no session.
template <class Work>
SQLRETURN onStatement(SQLHSTMT handle, bool needsServer, Work work) {
    if (!handle)
        return SQL_INVALID_HANDLE;
    auto &stmt = *static_cast<Statement *>(handle);
    std::lock_guard<std::mutex> guard(stmt.connection->lock);
    stmt.error.clear();
    if (needsServer && !requireConnected(*stmt.connection, stmt.error))
        return SQL_ERROR;
    return work(stmt);
}

inline std::string textArg(const SQLCHAR *s, long length) {
    if (!s)
        return {};
    const char *c = reinterpret_cast<const char *>(s);
    return length == SQL_NTS || length < 0 ? std::string(c) : std::string(c, static_cast<std::size_t>(length));
}

} // namespace qn::odbc
