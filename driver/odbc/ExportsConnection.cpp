// Environment and connection entry points.
#include "Connect.h"
#include "EntryPoints.h"
#include "Options.h"
#include "Statements.h"

#include "driver/wire/Export.h"

#include <new>

using namespace qn::odbc;

QN_EXPORT SQLRETURN SQLAllocEnv(SQLHENV *env) {
    if (!env)
        return SQL_ERROR;
    *env = new (std::nothrow) Environment;
    return *env ? SQL_SUCCESS : SQL_ERROR;
}

QN_EXPORT SQLRETURN SQLFreeEnv(SQLHENV env) {
    delete static_cast<Environment *>(env);
    return SQL_SUCCESS;
}

QN_EXPORT SQLRETURN SQLAllocConnect(SQLHENV env, SQLHDBC *dbc) {
    if (!dbc)
        return SQL_ERROR;
    *dbc = newConnection(static_cast<Environment *>(env));
    return *dbc ? SQL_SUCCESS : SQL_ERROR;
}

QN_EXPORT SQLRETURN SQLFreeConnect(SQLHDBC dbc) {
    if (!dbc)
        return SQL_INVALID_HANDLE;
    return freeConnection(static_cast<Connection *>(dbc));
}

QN_EXPORT SQLRETURN SQLConnect(SQLHDBC dbc, SQLCHAR *dsn, SQLSMALLINT dsnLen, SQLCHAR *uid, SQLSMALLINT uidLen,
                               SQLCHAR *pwd, SQLSMALLINT pwdLen) {
    return onConnection(dbc, [&](Connection &c) {
        return connect(c, textArg(dsn, dsnLen), reinterpret_cast<const char *>(uid), uidLen,
                       reinterpret_cast<const char *>(pwd), pwdLen);
    });
}

QN_EXPORT SQLRETURN SQLDriverConnect(SQLHDBC dbc, SQLHWND window, SQLCHAR *in, SQLSMALLINT inLen, SQLCHAR *out,
                                     SQLSMALLINT capacity, SQLSMALLINT *outLen, SQLUSMALLINT completion) {
    return onConnection(dbc, [&](Connection &c) {
        return driverConnect(c, window, textArg(in, inLen), out, capacity, outLen, completion);
    });
}

QN_EXPORT SQLRETURN SQLDisconnect(SQLHDBC dbc) {
    return onConnection(dbc, [](Connection &c) { return disconnect(c); });
}

QN_EXPORT SQLRETURN SQLAllocStmt(SQLHDBC dbc, SQLHSTMT *stmt) {
    return onConnection(dbc, [&](Connection &c) {
        Statement *s = nullptr;
        const SQLRETURN rc = allocStatement(c, stmt ? &s : nullptr);
        if (stmt)
            *stmt = s;
        return rc;
    });
}

QN_EXPORT SQLRETURN SQLFreeStmt(SQLHSTMT stmt, SQLUSMALLINT option) {
    Statement *dropped = nullptr;
    const SQLRETURN rc = onStatement(stmt, false, [&](Statement &s) {
        bool drop = false;
        const SQLRETURN r = freeStatement(s, option, drop);
        if (drop && (r == SQL_SUCCESS || r == SQL_SUCCESS_WITH_INFO))
            dropped = &s;
        return r;
    });
    delete dropped; // after the connection's lock is released
    return rc;
}

QN_EXPORT SQLRETURN SQLTransact(SQLHENV, SQLHDBC dbc, SQLUSMALLINT type) {
    if (!dbc)
        return SQL_SUCCESS; // nothing is kept per environment
    return onConnection(dbc, [&](Connection &c) { return transact(c, type); });
}

QN_EXPORT SQLRETURN SQLSetConnectOption(SQLHDBC dbc, SQLUSMALLINT option, SQLULEN value) {
    return onConnection(dbc, [&](Connection &c) { return setConnectOption(c, option, value); });
}

QN_EXPORT SQLRETURN SQLGetConnectOption(SQLHDBC dbc, SQLUSMALLINT option, SQLPOINTER value) {
    return onConnection(dbc, [&](Connection &c) { return getConnectOption(c, option, value); });
}

QN_EXPORT SQLRETURN SQLError(SQLHENV, SQLHDBC dbc, SQLHSTMT stmt, SQLCHAR *state, SQLINTEGER *native,
                             SQLCHAR *message, SQLSMALLINT capacity, SQLSMALLINT *length) {
    if (stmt) {
        auto &s = *static_cast<Statement *>(stmt);
        std::lock_guard<std::mutex> guard(s.connection->lock);
        return errorFor(*s.connection, &s, state, native, message, capacity, length);
    }
    if (dbc) {
        auto &c = *static_cast<Connection *>(dbc);
        std::lock_guard<std::mutex> guard(c.lock);
        return errorFor(c, nullptr, state, native, message, capacity, length);
    }
    return SQL_NO_DATA_FOUND;
}

QN_EXPORT SQLRETURN SQLNativeSql(SQLHDBC dbc, SQLCHAR *in, SQLINTEGER inLen, SQLCHAR *out, SQLINTEGER capacity,
                                 SQLINTEGER *outLen) {
    return onConnection(dbc, [&](Connection &c) {
        if (!requireConnected(c, c.error))
            return SQLRETURN(SQL_ERROR);
        return nativeSql(c, reinterpret_cast<const char *>(in), inLen, out, capacity, outLen);
    });
}

namespace {
const char *gCaption = nullptr;
const char *gHelpFile = nullptr;
} // namespace

// The loader's entry of the original platform: the names the driver's message boxes use.
QN_EXPORT int LibMain(void *, unsigned, void *) {
    gCaption = "QuillNet";
    gHelpFile = "QUILLNET.HLP";
    return 1;
}

QN_EXPORT void LoadByOrdinal() {}
