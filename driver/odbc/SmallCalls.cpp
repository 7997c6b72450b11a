// The smaller statement calls: counts, parameter descriptions, cursor names, options of
// the parameter set and the scroll mode, further results.
#include "Binding.h"
#include "Statements.h"

namespace qn::odbc {

SQLRETURN paramOptions(Statement &stmt, SQLULEN rows, SQLULEN *counter) {
    Request req(*stmt.connection, stmt.error);
    if (!req.begin(SQL_API_SQLPARAMOPTIONS))
        return SQL_ERROR;
    req.handle(ITEM_HSTMT, stmt.serverHandle).i32(static_cast<std::int32_t>(rows)).output(ITEM_OUT_LONG, 4, counter);
    const SQLRETURN rc = req.run();
    if (ok(rc)) {
        stmt.paramSetSize = rows;
        stmt.rowCounter = counter;
        stmt.rowCounterSet = counter != nullptr;
    }
    return rc;
}

SQLRETURN askShort(Statement &stmt, int api, SQLSMALLINT *value) {
    Request req(*stmt.connection, stmt.error);
    if (!req.begin(api))
        return SQL_ERROR;
    req.handle(ITEM_HSTMT, stmt.serverHandle).output(ITEM_OUT_SHORT, 2, value);
    const SQLRETURN rc = req.run();
    std::int16_t n = 0;
    if (ok(rc) && value) {
        if (!req.get16(n))
            return SQL_ERROR;
        *value = n;
    }
    return rc;
}

SQLRETURN numParams(Statement &stmt, SQLSMALLINT *count) { return askShort(stmt, SQL_API_SQLNUMPARAMS, count); }

SQLRETURN describeParam(Statement &stmt, SQLUSMALLINT number, SQLSMALLINT *type, SQLULEN *precision,
                        SQLSMALLINT *scale, SQLSMALLINT *nullable) {
    Request req(*stmt.connection, stmt.error);
    if (!req.begin(SQL_API_SQLDESCRIBEPARAM))
        return SQL_ERROR;
    req.handle(ITEM_HSTMT, stmt.serverHandle)
        .i16(static_cast<std::int16_t>(number));
    putTypeAreas(req, type, precision, scale, nullable);
    const SQLRETURN rc = req.run();
    if (!ok(rc))
        return rc;
    return stepResult(readTypeAnswers(req, type, precision, scale, nullable), rc);
}

void putTypeAreas(Request &req, SQLSMALLINT *type, SQLULEN *precision, SQLSMALLINT *scale, SQLSMALLINT *nullable) {
    req.output(ITEM_OUT_SHORT, 2, type)
        .output(ITEM_OUT_LONG, 4, precision)
        .output(ITEM_OUT_SHORT, 2, scale)
        .output(ITEM_OUT_SHORT, 2, nullable);
}

bool readTypeAnswers(Request &req, SQLSMALLINT *type, SQLULEN *precision, SQLSMALLINT *scale,
                     SQLSMALLINT *nullable) {
    std::int16_t s = 0;
    std::int32_t l = 0;
    if (type && req.get16(s))
        *type = s;
    if (precision && req.get32(l))
        *precision = static_cast<SQLULEN>(static_cast<std::uint32_t>(l));
    if (scale && req.get16(s))
        *scale = s;
    if (nullable && req.get16(s))
        *nullable = s;
    return req.ok();
}

SQLRETURN moreResults(Statement &stmt) {
    Request req(*stmt.connection, stmt.error);
    if (!req.begin(SQL_API_SQLMORERESULTS))
        return SQL_ERROR;
    req.handle(ITEM_HSTMT, stmt.serverHandle);
    const SQLRETURN rc = req.run();
    if (ok(rc))
        return stepResult(describeStep(stmt, req, false) && readRowCounter(stmt, req) && readOutputParams(stmt, req),
                          rc);
    stmt.describeValid = false;
    if (rc == SQL_NO_DATA_FOUND)
        return stepResult(readOutputParams(stmt, req), rc);
    return rc;
}

SQLRETURN rowCount(Statement &stmt, SQLLEN *count) {
    Request req(*stmt.connection, stmt.error);
    if (!req.begin(SQL_API_SQLROWCOUNT))
        return SQL_ERROR;
    req.handle(ITEM_HSTMT, stmt.serverHandle).output(ITEM_OUT_LONG, 4, count);
    const SQLRETURN rc = req.run();
    std::int32_t n = 0;
    if (ok(rc) && count) {
        if (!req.get32(n))
            return SQL_ERROR;
        *count = n;
    }
    return rc;
}

SQLRETURN cancel(Statement &stmt) {
    if (!stmt.connection->connected)
        return SQL_SUCCESS;
    Request req(*stmt.connection, stmt.error);
    if (!req.begin(SQL_API_SQLCANCEL))
        return SQL_ERROR;
    req.handle(ITEM_HSTMT, stmt.serverHandle);
    return req.run();
}

SQLRETURN setCursorName(Statement &stmt, const char *name, SQLSMALLINT length) {
    if (bulkReadOn(stmt)) {
        recordError(stmt.error, "08S01", 62);
        return SQL_ERROR;
    }
    Request req(*stmt.connection, stmt.error);
    if (!req.begin(SQL_API_SQLSETCURSORNAME))
        return SQL_ERROR;
    req.handle(ITEM_HSTMT, stmt.serverHandle).text(name, length).i16(length);
    return req.run();
}

SQLRETURN getCursorName(Statement &stmt, SQLCHAR *name, SQLSMALLINT capacity, SQLSMALLINT *length) {
    Request req(*stmt.connection, stmt.error);
    if (!req.begin(SQL_API_SQLGETCURSORNAME))
        return SQL_ERROR;
    req.handle(ITEM_HSTMT, stmt.serverHandle)
        .output(ITEM_OUT_STRING, static_cast<std::uint32_t>(capacity > 0 ? capacity : 0), name)
        .i16(capacity)
        .output(ITEM_OUT_SHORT, 2, length);
    const SQLRETURN rc = req.run();
    if (!ok(rc))
        return rc;
    std::uint32_t got = 0;
    std::int16_t n = 0;
    if (name && capacity > 0)
        req.getString(reinterpret_cast<char *>(name), static_cast<std::uint32_t>(capacity), got);
    if (length && req.get16(n))
        *length = n;
    return stepResult(req.ok(), rc);
}

SQLRETURN setScrollOptions(Statement &stmt, SQLUSMALLINT concurrency, SQLLEN keyset, SQLUSMALLINT rowset) {
    Request req(*stmt.connection, stmt.error);
    if (!req.begin(SQL_API_SQLSETSCROLLOPTIONS))
        return SQL_ERROR;
    req.handle(ITEM_HSTMT, stmt.serverHandle)
        .i16(static_cast<std::int16_t>(concurrency))
        .i32(static_cast<std::int32_t>(keyset))
        .i16(static_cast<std::int16_t>(rowset));
    const SQLRETURN rc = req.run();
    if (ok(rc))
        stmt.rowsetSize = rowset;
    return rc;
}

SQLRETURN nativeSql(Connection &conn, const char *in, SQLINTEGER inLen, SQLCHAR *out, SQLINTEGER capacity,
                    SQLINTEGER *outLen) {
    Request req(conn, conn.error);
    if (!req.begin(SQL_API_SQLNATIVESQL))
        return SQL_ERROR;
    req.text(in, inLen)
        .i32(inLen)
        .output(ITEM_OUT_STRING, static_cast<std::uint32_t>(capacity > 0 ? capacity : 0), out)
        .i32(capacity)
        .output(ITEM_OUT_LONG, 4, outLen);
    const SQLRETURN rc = req.run();
    if (!ok(rc))
        return rc;
    std::uint32_t got = 0;
    std::int32_t n = 0;
    if (out && capacity > 0)
        req.getString(reinterpret_cast<char *>(out), static_cast<std::uint32_t>(capacity), got);
    if (outLen && req.get32(n))
        *outLen = n;
    return stepResult(req.ok(), rc);
}

} // namespace qn::odbc
