// Statement entry points.
#include "EntryPoints.h"
#include "Options.h"
#include "Statements.h"

#include "driver/wire/Export.h"

using namespace qn::odbc;

namespace {
const char *chars(const SQLCHAR *s) { return reinterpret_cast<const char *>(s); }
} // namespace

QN_EXPORT SQLRETURN SQLPrepare(SQLHSTMT h, SQLCHAR *text, SQLINTEGER length) {
    return onStatement(h, true, [&](Statement &s) { return prepare(s, chars(text), length); });
}

QN_EXPORT SQLRETURN SQLExecute(SQLHSTMT h) {
    return onStatement(h, true, [&](Statement &s) { return execute(s, false, nullptr, 0); });
}

QN_EXPORT SQLRETURN SQLExecDirect(SQLHSTMT h, SQLCHAR *text, SQLINTEGER length) {
    return onStatement(h, true, [&](Statement &s) { return execute(s, true, chars(text), length); });
}

QN_EXPORT SQLRETURN SQLNumParams(SQLHSTMT h, SQLSMALLINT *count) {
    return onStatement(h, true, [&](Statement &s) { return numParams(s, count); });
}

QN_EXPORT SQLRETURN SQLDescribeParam(SQLHSTMT h, SQLUSMALLINT n, SQLSMALLINT *type, SQLULEN *precision,
                                     SQLSMALLINT *scale, SQLSMALLINT *nullable) {
    return onStatement(h, true, [&](Statement &s) { return describeParam(s, n, type, precision, scale, nullable); });
}

QN_EXPORT SQLRETURN SQLBindParameter(SQLHSTMT h, SQLUSMALLINT n, SQLSMALLINT ioType, SQLSMALLINT cType,
                                     SQLSMALLINT sqlType, SQLULEN precision, SQLSMALLINT scale, SQLPOINTER data,
                                     SQLLEN bufferLength, SQLLEN *indicator) {
    return onStatement(h, true, [&](Statement &s) {
        return bindParameter(s, n, ioType, cType, sqlType, precision, scale, data, bufferLength, indicator);
    });
}

QN_EXPORT SQLRETURN SQLParamOptions(SQLHSTMT h, SQLULEN rows, SQLULEN *counter) {
    return onStatement(h, true, [&](Statement &s) { return paramOptions(s, rows, counter); });
}

QN_EXPORT SQLRETURN SQLParamData(SQLHSTMT h, SQLPOINTER *value) {
    return onStatement(h, true, [&](Statement &s) { return paramData(s, value); });
}

QN_EXPORT SQLRETURN SQLPutData(SQLHSTMT h, SQLPOINTER data, SQLLEN length) {
    return onStatement(h, true, [&](Statement &s) { return putData(s, data, length); });
}

QN_EXPORT SQLRETURN SQLNumResultCols(SQLHSTMT h, SQLSMALLINT *count) {
    return onStatement(h, true, [&](Statement &s) { return numResultCols(s, count); });
}

QN_EXPORT SQLRETURN SQLDescribeCol(SQLHSTMT h, SQLUSMALLINT column, SQLCHAR *name, SQLSMALLINT capacity,
                                   SQLSMALLINT *nameLength, SQLSMALLINT *type, SQLULEN *precision,
                                   SQLSMALLINT *scale, SQLSMALLINT *nullable) {
    return onStatement(h, true, [&](Statement &s) {
        return describeCol(s, column, name, capacity, nameLength, type, precision, scale, nullable);
    });
}

QN_EXPORT SQLRETURN SQLColAttributes(SQLHSTMT h, SQLUSMALLINT column, SQLUSMALLINT field, SQLPOINTER text,
                                     SQLSMALLINT capacity, SQLSMALLINT *length, SQLLEN *number) {
    return onStatement(h, true,
                       [&](Statement &s) { return colAttributes(s, column, field, text, capacity, length, number); });
}

QN_EXPORT SQLRETURN SQLBindCol(SQLHSTMT h, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER data,
                               SQLLEN bufferLength, SQLLEN *indicator) {
    return onStatement(h, true,
                       [&](Statement &s) { return bindCol(s, column, cType, data, bufferLength, indicator); });
}

QN_EXPORT SQLRETURN SQLFetch(SQLHSTMT h) {
    return onStatement(h, true, [&](Statement &s) { return fetch(s); });
}

QN_EXPORT SQLRETURN SQLExtendedFetch(SQLHSTMT h, SQLUSMALLINT type, SQLLEN row, SQLULEN *rowCount,
                                     SQLUSMALLINT *rowStatus) {
    return onStatement(h, true, [&](Statement &s) { return extendedFetch(s, type, row, rowCount, rowStatus); });
}

QN_EXPORT SQLRETURN SQLGetData(SQLHSTMT h, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER data,
                               SQLLEN bufferLength, SQLLEN *indicator) {
    return onStatement(h, true,
                       [&](Statement &s) { return getData(s, column, cType, data, bufferLength, indicator); });
}

QN_EXPORT SQLRETURN SQLSetPos(SQLHSTMT h, SQLSETPOSIROW row, SQLUSMALLINT operation, SQLUSMALLINT lock) {
    return onStatement(h, true, [&](Statement &s) {
        return setPos(s, static_cast<SQLUSMALLINT>(row), operation, lock);
    });
}

QN_EXPORT SQLRETURN SQLSetScrollOptions(SQLHSTMT h, SQLUSMALLINT concurrency, SQLLEN keyset,
                                        SQLUSMALLINT rowset) {
    return onStatement(h, true, [&](Statement &s) { return setScrollOptions(s, concurrency, keyset, rowset); });
}

QN_EXPORT SQLRETURN SQLMoreResults(SQLHSTMT h) {
    return onStatement(h, true, [&](Statement &s) { return moreResults(s); });
}

QN_EXPORT SQLRETURN SQLRowCount(SQLHSTMT h, SQLLEN *count) {
    return onStatement(h, true, [&](Statement &s) { return rowCount(s, count); });
}

QN_EXPORT SQLRETURN SQLCancel(SQLHSTMT h) {
    return onStatement(h, false, [&](Statement &s) { return cancel(s); });
}

QN_EXPORT SQLRETURN SQLSetCursorName(SQLHSTMT h, SQLCHAR *name, SQLSMALLINT length) {
    return onStatement(h, true, [&](Statement &s) { return setCursorName(s, chars(name), length); });
}

QN_EXPORT SQLRETURN SQLGetCursorName(SQLHSTMT h, SQLCHAR *name, SQLSMALLINT capacity, SQLSMALLINT *length) {
    return onStatement(h, true, [&](Statement &s) { return getCursorName(s, name, capacity, length); });
}

QN_EXPORT SQLRETURN SQLSetStmtOption(SQLHSTMT h, SQLUSMALLINT option, SQLULEN value) {
    return onStatement(h, false, [&](Statement &s) { return setStmtOption(s, option, value); });
}

QN_EXPORT SQLRETURN SQLGetStmtOption(SQLHSTMT h, SQLUSMALLINT option, SQLPOINTER value) {
    return onStatement(h, false, [&](Statement &s) { return getStmtOption(s, option, value); });
}
