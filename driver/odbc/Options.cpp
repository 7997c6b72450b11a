#include "Options.h"

#include "Request.h"

#include <odbcinst.h>

#include <cstring>
#include <string>

#include "driver/session/ServerList.h"

namespace qn::odbc {

OptionType optionType(SQLUSMALLINT option) {
    if (option <= 12 || (option >= 101 && option <= 104) || option == 107 || option == 108 ||
        (option >= 110 && option <= 112) || option == SQL_ENABLE_BULK_READ)
        return OptionType::Number;
    if (option == 105 || option == 106 || option == 109)
        return OptionType::String;
    char value[32] = {};
    const std::string key = std::to_string(option);
    const std::string path = qn::session::serverListPath();
    SQLGetPrivateProfileString("QNET Option Types", key.c_str(), "", value, sizeof value, path.c_str());
    if (std::strcmp(value, "STRING") == 0)
        return OptionType::String;
    if (std::strcmp(value, "DWORD") == 0)
        return OptionType::Number;
    return OptionType::Unknown;
}

namespace {

void notCapable(ErrorRecord &rec) { recordError(rec, "S1C00", 12, kNotCapableNative); }

// Request 50 or 51; the statement handle comes first for statements.
SQLRETURN sendSetOption(Connection &conn, ErrorRecord &rec, const Statement *stmt, SQLUSMALLINT option,
                        OptionType type, SQLULEN value) {
    Request req(conn, rec, true);
    if (!req.begin(stmt ? SQL_API_SQLSETSTMTOPTION : SQL_API_SQLSETCONNECTOPTION))
        return SQL_ERROR;
    if (stmt)
        req.handle(ITEM_HSTMT, stmt->serverHandle);
    req.i16(static_cast<std::int16_t>(option));
    if (type == OptionType::String)
        req.text(reinterpret_cast<const char *>(value), SQL_NTS);
    else
        req.i32(static_cast<std::int32_t>(value));
    return req.run();
}

SQLRETURN sendGetOption(Connection &conn, ErrorRecord &rec, const Statement *stmt, SQLUSMALLINT option,
                        OptionType type, SQLPOINTER value) {
    const std::uint32_t capacity = type == OptionType::String ? 257 : 4;
    Request req(conn, rec, true);
    if (!req.begin(stmt ? SQL_API_SQLGETSTMTOPTION : SQL_API_SQLGETCONNECTOPTION))
        return SQL_ERROR;
    if (stmt)
        req.handle(ITEM_HSTMT, stmt->serverHandle);
    req.i16(static_cast<std::int16_t>(option)).output(ITEM_OUT_BINARY, capacity, value);
    const SQLRETURN rc = req.run();
    if ((rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) && value) {
        std::uint32_t got = 0;
        if (type == OptionType::String) {
            if (!req.getBlock(value, capacity, got))
                return SQL_ERROR;
        } else {
            // Numeric options are SQLULEN wide for the caller but 32 bits on the wire.
            std::uint32_t v = 0;
            if (!req.getBlock(&v, 4, got))
                return SQL_ERROR;
            *static_cast<SQLULEN *>(value) = v;
        }
    }
    return rc;
}

} // namespace

SQLRETURN setConnectOption(Connection &conn, SQLUSMALLINT option, SQLULEN value) {
    if (option == SQL_DEFERRED_BIND) {
        conn.deferredBind = value;
        return SQL_SUCCESS;
    }
    if (conn.bulkRead != 0 && ((option == SQL_CURSOR_TYPE && value != 0) || (option == SQL_ROWSET_SIZE && value != 1))) {
        recordError(conn.error, "S1001", 67);
        return SQL_ERROR;
    }
    if (option == SQL_ENABLE_BULK_READ && value != 0) {
        if (conn.cursorType != 0) {
            recordError(conn.error, "S1001", 64);
            return SQL_ERROR;
        }
        if (conn.rowsetSize != 1) {
            recordError(conn.error, "S1001", 65);
            return SQL_ERROR;
        }
    }
    const OptionType type = optionType(option);
    if (type == OptionType::Unknown || (option == SQL_BIND_TYPE && value != 0)) {
        notCapable(conn.error);
        return SQL_ERROR;
    }
    if (conn.connected) {
        const SQLRETURN rc = sendSetOption(conn, conn.error, nullptr, option, type, value);
        if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) {
            if (option == SQL_ROWSET_SIZE)
                conn.rowsetSize = value;
            else if (option == SQL_CURSOR_TYPE)
                conn.cursorType = value;
            else if (option == SQL_ENABLE_BULK_READ)
                conn.bulkRead = value;
        }
        return rc;
    }
    PendingOption p;
    p.option = option;
    p.isString = type == OptionType::String;
    if (p.isString) {
        const char *s = reinterpret_cast<const char *>(value);
        p.text = s ? std::string(s, strnlen(s, 256)) : std::string();
    } else {
        p.number = value;
    }
    conn.pending.push_back(std::move(p));
    return SQL_SUCCESS;
}

void applyPendingOptions(Connection &conn) {
    std::vector<PendingOption> pending;
    pending.swap(conn.pending);
    ErrorRecord ignored;
    for (int strings = 0; strings < 2; ++strings) {
        for (const PendingOption &p : pending) {
            if (p.isString != (strings == 1))
                continue;
            const SQLULEN value = p.isString ? reinterpret_cast<SQLULEN>(p.text.c_str()) : p.number;
            const OptionType type = p.isString ? OptionType::String : OptionType::Number;
            const SQLRETURN rc = sendSetOption(conn, ignored, nullptr, p.option, type, value);
            ignored.clear();
            if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) {
                if (p.option == SQL_ROWSET_SIZE)
                    conn.rowsetSize = p.number;
                else if (p.option == SQL_CURSOR_TYPE)
                    conn.cursorType = p.number;
                else if (p.option == SQL_ENABLE_BULK_READ)
                    conn.bulkRead = p.number;
            }
            if (!conn.connected)
                return;
        }
    }
}

SQLRETURN getConnectOption(Connection &conn, SQLUSMALLINT option, SQLPOINTER value) {
    if ((option == SQL_DEFERRED_BIND || option == SQL_ENABLE_BULK_READ) && value) {
        *static_cast<SQLULEN *>(value) = option == SQL_DEFERRED_BIND ? conn.deferredBind : conn.bulkRead;
        return SQL_SUCCESS;
    }
    const OptionType type = optionType(option);
    if (type == OptionType::Unknown) {
        notCapable(conn.error);
        return SQL_ERROR;
    }
    if (!requireConnected(conn, conn.error))
        return SQL_ERROR;
    return sendGetOption(conn, conn.error, nullptr, option, type, value);
}

SQLRETURN setStmtOption(Statement &stmt, SQLUSMALLINT option, SQLULEN value) {
    if (option == SQL_DEFERRED_BIND) {
        stmt.deferredBind = value;
        return SQL_SUCCESS;
    }
    const OptionType type = optionType(option);
    if (type == OptionType::Unknown || (option == SQL_BIND_TYPE && value != 0)) {
        notCapable(stmt.error);
        return SQL_ERROR;
    }
    Connection &conn = *stmt.connection;
    if (!requireConnected(conn, stmt.error))
        return SQL_ERROR;
    const SQLRETURN rc = sendSetOption(conn, stmt.error, &stmt, option, type, value);
    if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) {
        if (option == SQL_ROWSET_SIZE)
            stmt.rowsetSize = value;
        else if (option == SQL_ENABLE_BULK_READ)
            stmt.bulkRowsetSize = value;
    }
    return rc;
}

SQLRETURN getStmtOption(Statement &stmt, SQLUSMALLINT option, SQLPOINTER value) {
    if (option == SQL_DEFERRED_BIND || option == SQL_ENABLE_BULK_READ) {
        if (value)
            *static_cast<SQLULEN *>(value) = option == SQL_DEFERRED_BIND ? stmt.deferredBind : stmt.bulkRowsetSize;
        return SQL_SUCCESS;
    }
    const OptionType type = optionType(option);
    if (type == OptionType::Unknown) {
        notCapable(stmt.error);
        return SQL_ERROR;
    }
    Connection &conn = *stmt.connection;
    if (!requireConnected(conn, stmt.error))
        return SQL_ERROR;
    return sendGetOption(conn, stmt.error, &stmt, option, type, value);
}

} // namespace qn::odbc
