// Statement-level work behind the exported calls.
#pragma once

#include "Records.h"

namespace qn::odbc {

class Request;

// Shared steps of replies that open a result set.
bool describeStep(Statement &stmt, Request &req, bool catalog);
bool readRowCounter(Statement &stmt, Request &req);
bool readOutputParams(Statement &stmt, Request &req);
inline bool ok(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }
inline bool bulkReadOn(const Statement &stmt) { return stmt.bulkRowsetSize != 0; }
// SQL_ERROR after a failed step, else the reply code.
// A request of the statement handle and one 16-bit output, answered by its value.
SQLRETURN askShort(Statement &stmt, int api, SQLSMALLINT *value);
// The type, precision, scale and nullable outputs shared by the describe calls.
void putTypeAreas(Request &req, SQLSMALLINT *type, SQLULEN *precision, SQLSMALLINT *scale, SQLSMALLINT *nullable);
bool readTypeAnswers(Request &req, SQLSMALLINT *type, SQLULEN *precision, SQLSMALLINT *scale,
                     SQLSMALLINT *nullable);
inline SQLRETURN stepResult(bool ok, SQLRETURN rc) { return ok ? rc : SQL_ERROR; }

SQLRETURN freeStatement(Statement &stmt, SQLUSMALLINT option, bool &dropped);
SQLRETURN prepare(Statement &stmt, const char *text, SQLINTEGER length);
SQLRETURN execute(Statement &stmt, bool direct, const char *text, SQLINTEGER length);
SQLRETURN bindParameter(Statement &stmt, SQLUSMALLINT number, SQLSMALLINT ioType, SQLSMALLINT cType,
                        SQLSMALLINT sqlType, SQLULEN precision, SQLSMALLINT scale, SQLPOINTER data,
                        SQLLEN bufferLength, SQLLEN *indicator);
SQLRETURN paramData(Statement &stmt, SQLPOINTER *value);
SQLRETURN putData(Statement &stmt, SQLPOINTER data, SQLLEN length);
SQLRETURN paramOptions(Statement &stmt, SQLULEN rows, SQLULEN *counter);
SQLRETURN numParams(Statement &stmt, SQLSMALLINT *count);
SQLRETURN describeParam(Statement &stmt, SQLUSMALLINT number, SQLSMALLINT *type, SQLULEN *precision,
                        SQLSMALLINT *scale, SQLSMALLINT *nullable);
SQLRETURN moreResults(Statement &stmt);
SQLRETURN rowCount(Statement &stmt, SQLLEN *count);
SQLRETURN cancel(Statement &stmt);
SQLRETURN setCursorName(Statement &stmt, const char *name, SQLSMALLINT length);
SQLRETURN getCursorName(Statement &stmt, SQLCHAR *name, SQLSMALLINT capacity, SQLSMALLINT *length);
SQLRETURN setScrollOptions(Statement &stmt, SQLUSMALLINT concurrency, SQLLEN keyset, SQLUSMALLINT rowset);
SQLRETURN nativeSql(Connection &conn, const char *in, SQLINTEGER inLen, SQLCHAR *out, SQLINTEGER capacity,
                    SQLINTEGER *outLen);

SQLRETURN numResultCols(Statement &stmt, SQLSMALLINT *count);
SQLRETURN describeCol(Statement &stmt, SQLUSMALLINT column, SQLCHAR *name, SQLSMALLINT capacity,
                      SQLSMALLINT *nameLength, SQLSMALLINT *type, SQLULEN *precision, SQLSMALLINT *scale,
                      SQLSMALLINT *nullable);
SQLRETURN colAttributes(Statement &stmt, SQLUSMALLINT column, SQLUSMALLINT field, SQLPOINTER text,
                        SQLSMALLINT capacity, SQLSMALLINT *length, SQLLEN *number);
SQLRETURN bindCol(Statement &stmt, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER data, SQLLEN bufferLength,
                  SQLLEN *indicator);
SQLRETURN fetch(Statement &stmt);
SQLRETURN extendedFetch(Statement &stmt, SQLUSMALLINT type, SQLLEN row, SQLULEN *rowCount,
                        SQLUSMALLINT *rowStatus);
SQLRETURN getData(Statement &stmt, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER data, SQLLEN bufferLength,
                  SQLLEN *indicator);
SQLRETURN setPos(Statement &stmt, SQLUSMALLINT row, SQLUSMALLINT operation, SQLUSMALLINT lock);

} // namespace qn::odbc
