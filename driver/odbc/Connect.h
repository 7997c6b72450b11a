// Connection-level work behind the exported calls: connect, disconnect, statements,
// transactions and the server's error records.
#pragma once

#include "Records.h"

namespace qn::odbc {

Connection *newConnection(Environment *env);

// Reads the data source's ODBC.INI entries into the connection's keyword values.
void loadDataSource(Connection &conn, const std::string &dsn);

SQLRETURN connect(Connection &conn, const std::string &dsn, const char *uid, SQLSMALLINT uidLen, const char *pwd,
                  SQLSMALLINT pwdLen);
SQLRETURN disconnect(Connection &conn);
SQLRETURN driverConnect(Connection &conn, void *window, const std::string &input, SQLCHAR *out,
                        SQLSMALLINT capacity, SQLSMALLINT *outLen, SQLUSMALLINT completion);
SQLRETURN freeConnection(Connection *conn);

SQLRETURN allocStatement(Connection &conn, Statement **out);
// For SQL_DROP `dropped` is set when the caller must free the record after unlocking.
SQLRETURN freeStatement(Statement &stmt, SQLUSMALLINT option, bool &dropped);
SQLRETURN transact(Connection &conn, SQLUSMALLINT type);

// SQLError against one handle's record, asking the server when needed.
SQLRETURN errorFor(Connection &conn, Statement *stmt, SQLCHAR *state, SQLINTEGER *native, SQLCHAR *message,
                   SQLSMALLINT capacity, SQLSMALLINT *length);

// After a server-side SQL_ERROR: the server's first error becomes the handle's record.
void fetchServerError(Connection &conn, ErrorRecord &rec, std::uint32_t stmtHandle);

// The function bitmap and the info block that follow a successful connect.
void readConnectBlocks(Connection &conn, class Request &req);

} // namespace qn::odbc
