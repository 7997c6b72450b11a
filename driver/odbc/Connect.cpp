#include "Connect.h"

#include "ConnString.h"
#include "Errors.h"
#include "Request.h"
#include "SessionGlue.h"

#include <odbcinst.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace qn::odbc {

namespace {

std::string profile(const std::string &section, const char *key, const char *fallback = "") {
    char value[256] = {};
    SQLGetPrivateProfileString(section.c_str(), key, fallback, value, sizeof value, "odbc.ini");
    return value;
}

bool succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

std::uint32_t optionBits(const std::string &allowGetData, const std::string &allowDataDict, bool byPrefix) {
    std::uint32_t bits = 0;
    const bool getData = byPrefix ? allowGetData.rfind('0', 0) != 0 : allowGetData != "0";
    const bool dataDict = byPrefix ? allowDataDict.rfind('0', 0) != 0 : allowDataDict != "0";
    if (getData)
        bits |= 1u | 2u;
    if (dataDict)
        bits |= 1u | 16u;
    return bits;
}

std::string given(const char *s, SQLSMALLINT len) {
    if (!s)
        return {};
    return len == SQL_NTS || len < 0 ? std::string(s) : std::string(s, static_cast<std::size_t>(len));
}

// A failed connect leaves the connection closed but keeps the reason.
SQLRETURN failAndDisconnect(Connection &conn, SQLRETURN rc) {
    ErrorRecord kept = conn.error;
    disconnect(conn);
    conn.error = kept;
    return rc;
}

} // namespace

Connection *newConnection(Environment *env) {
    auto *conn = new (std::nothrow) Connection;
    if (conn)
        conn->environment = env;
    return conn;
}

void loadDataSource(Connection &conn, const std::string &dsn) {
    conn.serverDsn = profile(dsn, "ServerDSN");
    conn.networkAddr = profile(dsn, "NetworkAddr");
    conn.serverName = profile(dsn, "ServerName");
    const std::string tryIp = profile(dsn, "TryIP", "No");
    conn.tryIp = tryIp.rfind('N', 0) != 0;
    conn.storedIp = conn.tryIp ? profile(dsn, "StoredIP") : std::string();
    conn.port = profile(dsn, "ServerPort");
    conn.encryption = profile(dsn, "Encryption");
    conn.timeout = profile(dsn, "Timeout", "0");
}

void readConnectBlocks(Connection &conn, Request &req) {
    bool ok = true;
    std::uint32_t got = 0;
    if (conn.grantedOptions & 4u)
        ok = conn.link->getBinary(1, conn.functionBitmap.data(), 100, got);
    if (ok && (conn.grantedOptions & 8u)) {
        ok = conn.link->getBinary(1, conn.infoBlock.data(), 76, got);
        if (!ok)
            std::fill(conn.infoBlock.begin(), conn.infoBlock.begin() + 4, 0); // validity mask
    }
    conn.infoReceived = ok;
    (void)req;
}

SQLRETURN connect(Connection &conn, const std::string &dsn, const char *uid, SQLSMALLINT uidLen, const char *pwd,
                  SQLSMALLINT pwdLen) {
    conn.dsn = dsn;
    loadDataSource(conn, dsn);
    conn.requestedOptions =
        optionBits(profile(dsn, "AllowGetData", "1"), profile(dsn, "AllowDataDict", "1"), false);
    std::string user = given(uid, uidLen), password = given(pwd, pwdLen);
    if (user.empty() && password.empty()) {
        const std::string iniUser = profile(dsn, "UID");
        if (!iniUser.empty()) {
            user = iniUser;
            password = profile(dsn, "PWD");
        }
    }
    const SQLRETURN opened = openServerSession(conn);
    if (opened != SQL_SUCCESS)
        return opened;
    Request req(conn, conn.error);
    if (!req.begin(SQL_API_SQLCONNECT))
        return failAndDisconnect(conn, SQL_ERROR);
    req.scrambled(conn.serverDsn.c_str(), SQL_NTS).i16(SQL_NTS);
    req.scrambled(user.c_str(), static_cast<long>(user.size())).i16(static_cast<std::int16_t>(user.size()));
    req.scrambled(password.c_str(), static_cast<long>(password.size()))
        .i16(static_cast<std::int16_t>(password.size()));
    const SQLRETURN rc = req.run();
    if (!succeeded(rc)) {
        if (rc == SQL_ERROR && req.ok())
            fetchServerError(conn, conn.error, 0);
        return rc == SQL_ERROR ? failAndDisconnect(conn, rc) : rc;
    }
    conn.connectedAtServer = true;
    readConnectBlocks(conn, req);
    return rc;
}

SQLRETURN disconnect(Connection &conn) {
    conn.error.clear();
    conn.driver.clear();
    conn.dsn.clear();
    conn.serverDsn.clear();
    conn.serverName.clear();
    conn.storedIp.clear();
    conn.networkAddr.clear();
    conn.port.clear();
    conn.encryption.clear();
    conn.timeout = "0";
    conn.tryIp = false;
    conn.infoReceived = false;
    std::fill(conn.infoBlock.begin(), conn.infoBlock.begin() + 4, 0);
    conn.statementCount = 0;
    conn.maxStatements = 0;
    if (!conn.connected)
        return SQL_SUCCESS;
    SQLRETURN rc = SQL_SUCCESS;
    if (conn.connectedAtServer || conn.browseComplete) {
        Request req(conn, conn.error);
        if (req.begin(SQL_API_SQLDISCONNECT))
            rc = req.run();
        else
            rc = SQL_ERROR;
        if (!conn.connected) // the session was lost on the way: nothing left to close
            return SQL_SUCCESS;
        if (!succeeded(rc))
            return rc;
        conn.connectedAtServer = false;
        conn.browseComplete = false;
    }
    closeServerSession(conn);
    conn.connected = false;
    conn.handshakeDone = false;
    conn.optionsApplied = false;
    return rc == SQL_SUCCESS_WITH_INFO ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

SQLRETURN driverConnect(Connection &conn, void *window, const std::string &input, SQLCHAR *out,
                        SQLSMALLINT capacity, SQLSMALLINT *outLen, SQLUSMALLINT completion) {
    std::string dsn, v;
    findKeyword(input, "DSN", dsn);
    conn.dsn = dsn;
    std::string allowGetData = "1", allowDataDict = "1", user, password;
    if (!dsn.empty()) {
        loadDataSource(conn, dsn);
        allowGetData = profile(dsn, "AllowGetData", "1");
        allowDataDict = profile(dsn, "AllowDataDict", "1");
        user = profile(dsn, "UID");
        password = profile(dsn, "PWD");
    } else {
        conn.serverDsn.clear();
        conn.networkAddr.clear();
        conn.storedIp.clear();
        conn.port.clear();
        conn.encryption.clear();
        conn.serverName.clear();
        conn.timeout = "0";
    }
    struct Override {
        const char *keyword;
        std::string *target;
    } overrides[] = {{"QNETDSN", &conn.serverDsn}, {"QNETSRV", &conn.networkAddr}, {"QNETIP", &conn.storedIp},
                     {"QNETPORT", &conn.port},     {"QNETENCR", &conn.encryption}, {"QNETTO", &conn.timeout},
                     {"QNETGETD", &allowGetData},  {"QNETDD", &allowDataDict},     {"UID", &user},
                     {"PWD", &password}};
    for (const Override &o : overrides)
        if (findKeyword(input, o.keyword, v))
            *o.target = v;
    std::string driverValue;
    findKeyword(input, "DRIVER", driverValue);
    conn.driver = driverValue;

    const bool complete = !conn.serverDsn.empty() && (!conn.networkAddr.empty() || !conn.storedIp.empty()) &&
                          !conn.port.empty();
    const bool prompt = window != nullptr && completion != SQL_DRIVER_NOPROMPT &&
                        (completion == SQL_DRIVER_PROMPT || !complete);
    if (prompt) {
        // The connect dialog lives in the setup library, which this build does not load.
        recordError(conn.error, "S1000", 51);
        return failAndDisconnect(conn, SQL_ERROR);
    }

    std::string credentials;
    if (!user.empty()) {
        credentials = "UID=" + user;
        if (!password.empty())
            credentials += ";PWD=" + password;
    }
    std::string forwarded = forwardFilter(input, conn.serverDsn, true);
    if (!credentials.empty()) {
        if (forwarded.empty() || forwarded.back() != ';')
            forwarded += ';';
        forwarded += credentials;
    }
    conn.requestedOptions = optionBits(allowGetData, allowDataDict, true);

    const SQLRETURN opened = openServerSession(conn);
    if (opened != SQL_SUCCESS)
        return opened == SQL_ERROR ? failAndDisconnect(conn, opened) : opened;

    Request req(conn, conn.error);
    if (!req.begin(SQL_API_SQLDRIVERCONNECT))
        return failAndDisconnect(conn, SQL_ERROR);
    req.scrambled(forwarded.c_str(), static_cast<long>(forwarded.size()))
        .i16(static_cast<std::int16_t>(forwarded.size()))
        .output(ITEM_OUT_STRING, static_cast<std::uint32_t>(std::max<SQLSMALLINT>(capacity, 0)), out)
        .i16(capacity)
        .output(ITEM_OUT_SHORT, 2, outLen);
    const SQLRETURN rc = req.run();
    if (!succeeded(rc)) {
        if (rc == SQL_ERROR && req.ok())
            fetchServerError(conn, conn.error, 0);
        return (rc == SQL_ERROR || rc == SQL_NO_DATA_FOUND) ? failAndDisconnect(conn, rc) : rc;
    }
    readConnectBlocks(conn, req);

    long full = 0;
    bool truncated = false;
    const std::string built =
        buildOutputString({{"DRIVER=", driverValue},
                           {"DSN=", dsn},
                           {"QNETSRV=", conn.networkAddr},
                           {"QNETIP=", conn.storedIp},
                           {"QNETPORT=", conn.port},
                           {"QNETDSN=", conn.serverDsn},
                           {"QNETENCR=", conn.encryption},
                           {"QNETTO=", conn.timeout},
                           {"UID=", user},
                           {"PWD=", password}},
                          capacity, out != nullptr, full, truncated);
    if (out && capacity > 0) {
        std::memcpy(out, built.data(), built.size());
        out[built.size()] = 0;
    }
    if (outLen)
        *outLen = static_cast<SQLSMALLINT>(full);
    conn.connectedAtServer = true;
    if (truncated) {
        recordError(conn.error, "01004", 29);
        return SQL_SUCCESS_WITH_INFO;
    }
    return rc;
}

SQLRETURN freeConnection(Connection *conn) {
    SQLRETURN rc = SQL_SUCCESS;
    if (conn->connected) {
        std::lock_guard<std::mutex> guard(conn->lock);
        rc = disconnect(*conn);
        if (!succeeded(rc))
            return rc;
    }
    for (Statement *s : conn->statements)
        delete s;
    closeServerSession(*conn);
    delete conn;
    return rc == SQL_SUCCESS_WITH_INFO ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

SQLRETURN allocStatement(Connection &conn, Statement **out) {
    if (!out)
        return SQL_ERROR;
    *out = nullptr;
    if (!requireConnected(conn, conn.error))
        return SQL_ERROR;
    if (conn.maxStatements != 0 && conn.statementCount >= conn.maxStatements) {
        recordError(conn.error, "08S01", 46);
        return SQL_ERROR;
    }
    auto *stmt = new (std::nothrow) Statement;
    if (!stmt) {
        recordError(conn.error, "S1001", 14);
        return SQL_ERROR;
    }
    Request req(conn, conn.error);
    SQLRETURN rc = SQL_ERROR;
    if (req.begin(SQL_API_SQLALLOCSTMT)) {
        req.output(ITEM_OUT_HSTMT, 4, out);
        rc = req.run();
    }
    if (!succeeded(rc) || !req.getHandle(ITEM_HSTMT, stmt->serverHandle)) {
        delete stmt;
        return succeeded(rc) ? SQL_ERROR : rc;
    }
    stmt->connection = &conn;
    stmt->rowsetSize = conn.rowsetSize;
    stmt->grantedOptions = conn.grantedOptions;
    stmt->deferredBind = conn.deferredBind;
    stmt->bulkRowsetSize = conn.bulkRead;
    stmt->bulkBudget = conn.link->maximumSize() > 256 ? conn.link->maximumSize() - 256 : 0;
    conn.statements.push_back(stmt);
    ++conn.statementCount;
    *out = stmt;
    return rc;
}

SQLRETURN transact(Connection &conn, SQLUSMALLINT type) {
    if (!requireConnected(conn, conn.error))
        return SQL_ERROR;
    Request req(conn, conn.error, true);
    if (!req.begin(SQL_API_SQLTRANSACT))
        return SQL_ERROR;
    req.handle(ITEM_HENV, conn.handshakeDone ? 1 : 0)
        .handle(ITEM_HDBC, conn.optionsApplied ? 1 : 0)
        .i16(static_cast<std::int16_t>(type));
    return req.run();
}

namespace {

// Request 10 with the given output areas; the reply code drives the next SQLError.
SQLRETURN askServer(Connection &conn, ErrorRecord &rec, std::uint32_t stmtHandle, SQLCHAR *state,
                    SQLINTEGER *native, SQLCHAR *message, SQLSMALLINT capacity, SQLSMALLINT *length) {
    Request req(conn, rec);
    if (!req.begin(SQL_API_SQLERROR))
        return SQL_ERROR;
    const bool forStatement = stmtHandle != 0;
    req.handle(ITEM_HENV, forStatement ? 0 : (conn.handshakeDone ? 1 : 0))
        .handle(ITEM_HDBC, forStatement ? 0 : (conn.optionsApplied ? 1 : 0))
        .handle(ITEM_HSTMT, stmtHandle)
        .output(ITEM_OUT_STRING, 6, state)
        .output(ITEM_OUT_LONG, 4, native)
        .output(ITEM_OUT_STRING, static_cast<std::uint32_t>(std::max<SQLSMALLINT>(capacity, 0)), message)
        .i16(capacity)
        .output(ITEM_OUT_SHORT, 2, length);
    const SQLRETURN rc = req.run();
    if (!req.ok())
        return SQL_ERROR;
    if (rc == SQL_NO_DATA_FOUND)
        conn.link->setLastReplyCode(0);
    else if (rc == SQL_SUCCESS)
        conn.link->setLastReplyCode(-1);
    if (succeeded(rc)) {
        std::uint32_t got = 0;
        std::int32_t n = 0;
        std::int16_t len = 0;
        if (state && !req.getString(reinterpret_cast<char *>(state), 6, got))
            return SQL_ERROR;
        if (native) {
            if (!req.get32(n))
                return SQL_ERROR;
            *native = n;
        }
        if (message && capacity > 0 &&
            !req.getString(reinterpret_cast<char *>(message), static_cast<std::uint32_t>(capacity), got))
            return SQL_ERROR;
        if (length) {
            if (!req.get16(len))
                return SQL_ERROR;
            *length = len;
        }
    }
    return rc;
}

} // namespace

void fetchServerError(Connection &conn, ErrorRecord &rec, std::uint32_t stmtHandle) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLCHAR message[512] = {};
    SQLSMALLINT length = 0;
    ErrorRecord scratch;
    if (askServer(conn, scratch, stmtHandle, state, &native, message, sizeof message, &length) != SQL_SUCCESS)
        return;
    rec.state.assign(reinterpret_cast<char *>(state), strnlen(reinterpret_cast<char *>(state), 5));
    rec.native = native;
    rec.message.assign(reinterpret_cast<char *>(message), strnlen(reinterpret_cast<char *>(message), 511));
    rec.set = true;
}

SQLRETURN errorFor(Connection &conn, Statement *stmt, SQLCHAR *state, SQLINTEGER *native, SQLCHAR *message,
                   SQLSMALLINT capacity, SQLSMALLINT *length) {
    ErrorRecord &rec = stmt ? stmt->error : conn.error;
    if (rec.set)
        return returnRecord(rec, state, native, message, capacity, length);
    if (!conn.connected || !conn.link || conn.link->lastReplyCode() == 0)
        return SQL_NO_DATA_FOUND;
    ErrorRecord scratch;
    return askServer(conn, scratch, stmt ? stmt->serverHandle : 0, state, native, message, capacity, length);
}

} // namespace qn::odbc
