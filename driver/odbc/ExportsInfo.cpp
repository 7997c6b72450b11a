// SQLGetFunctions and SQLGetInfo.
#include "EntryPoints.h"
#include "Request.h"

#include "driver/wire/Export.h"

#include <cstring>
#include <set>

using namespace qn::odbc;

namespace {

// The functions this library exports. The driver manager drops every function
// reported missing and answers for it itself, so this list must stay exact.
const std::set<int> &exported() {
    static const std::set<int> functions = {
        SQL_API_SQLALLOCCONNECT,    SQL_API_SQLALLOCENV,        SQL_API_SQLALLOCSTMT,
        SQL_API_SQLBINDCOL,         SQL_API_SQLCANCEL,          SQL_API_SQLCOLATTRIBUTES,
        SQL_API_SQLCONNECT,         SQL_API_SQLDESCRIBECOL,     SQL_API_SQLDISCONNECT,
        SQL_API_SQLERROR,           SQL_API_SQLEXECDIRECT,      SQL_API_SQLEXECUTE,
        SQL_API_SQLFETCH,           SQL_API_SQLFREECONNECT,     SQL_API_SQLFREEENV,
        SQL_API_SQLFREESTMT,        SQL_API_SQLGETCURSORNAME,   SQL_API_SQLNUMRESULTCOLS,
        SQL_API_SQLPREPARE,         SQL_API_SQLROWCOUNT,        SQL_API_SQLSETCURSORNAME,
        SQL_API_SQLTRANSACT,        SQL_API_SQLDRIVERCONNECT,   SQL_API_SQLGETCONNECTOPTION,
        SQL_API_SQLGETDATA,         SQL_API_SQLGETFUNCTIONS,    SQL_API_SQLGETINFO,
        SQL_API_SQLGETSTMTOPTION,   SQL_API_SQLPARAMDATA,       SQL_API_SQLPUTDATA,
        SQL_API_SQLSETCONNECTOPTION, SQL_API_SQLSETSTMTOPTION,  SQL_API_SQLDESCRIBEPARAM,
        SQL_API_SQLEXTENDEDFETCH,   SQL_API_SQLMORERESULTS,     SQL_API_SQLNATIVESQL,
        SQL_API_SQLNUMPARAMS,       SQL_API_SQLPARAMOPTIONS,    SQL_API_SQLSETPOS,
        SQL_API_SQLSETSCROLLOPTIONS, SQL_API_SQLBINDPARAMETER,
        SQL_API_SQLTABLES,          SQL_API_SQLCOLUMNS,         SQL_API_SQLSTATISTICS,
        SQL_API_SQLTABLEPRIVILEGES, SQL_API_SQLCOLUMNPRIVILEGES, SQL_API_SQLSPECIALCOLUMNS,
        SQL_API_SQLPRIMARYKEYS,     SQL_API_SQLFOREIGNKEYS,     SQL_API_SQLPROCEDURES,
        SQL_API_SQLPROCEDURECOLUMNS, SQL_API_SQLGETTYPEINFO,
    };
    return functions;
}

bool copyInfoString(Connection &c, const std::string &value, SQLPOINTER buffer, SQLSMALLINT capacity,
                    SQLSMALLINT *length) {
    bool fits = true;
    if (buffer && capacity > 0)
        fits = copyOut(value, static_cast<SQLCHAR *>(buffer), capacity);
    else if (buffer)
        fits = false;
    if (length)
        *length = static_cast<SQLSMALLINT>(value.size());
    if (!fits)
        recordError(c.error, "01004", 29);
    return fits;
}

} // namespace

QN_EXPORT SQLRETURN SQLGetFunctions(SQLHDBC dbc, SQLUSMALLINT function, SQLUSMALLINT *supported) {
    return onConnection(dbc, [&](Connection &) {
        if (!supported)
            return SQLRETURN(SQL_SUCCESS);
        if (function == SQL_API_ALL_FUNCTIONS) {
            for (int i = 0; i < 100; ++i)
                supported[i] = exported().count(i) ? SQL_TRUE : SQL_FALSE;
        } else {
            *supported = exported().count(function) ? SQL_TRUE : SQL_FALSE;
        }
        return SQLRETURN(SQL_SUCCESS);
    });
}

QN_EXPORT SQLRETURN SQLGetInfo(SQLHDBC dbc, SQLUSMALLINT type, SQLPOINTER buffer, SQLSMALLINT capacity,
                               SQLSMALLINT *length) {
    return onConnection(dbc, [&](Connection &c) -> SQLRETURN {
        if (type == SQL_DRIVER_ODBC_VER && !c.connectedAtServer && !c.browseComplete) {
            if (buffer && capacity > 0)
                copyOut("02.50", static_cast<SQLCHAR *>(buffer), capacity);
            if (length)
                *length = 5;
            return SQL_SUCCESS;
        }
        if (!requireConnected(c, c.error))
            return SQL_ERROR;
        c.link->setLastReplyCode(0);
        const char *local = type == SQL_DATA_SOURCE_NAME ? c.dsn.c_str()
                            : type == SQL_DRIVER_NAME    ? "QUILLNET.DLL"
                            : type == SQL_DRIVER_VER     ? "1.00.21.004"
                            : type == SQL_DRIVER_ODBC_VER ? "02.50"
                                                          : nullptr;
        if (local)
            return copyInfoString(c, local, buffer, capacity, length) ? SQL_SUCCESS : SQL_SUCCESS_WITH_INFO;
        Request req(c, c.error, true);
        if (!req.begin(SQL_API_SQLGETINFO))
            return SQL_ERROR;
        const auto cap = static_cast<std::uint32_t>(capacity > 0 ? capacity : 0);
        req.i16(static_cast<std::int16_t>(type)).output(ITEM_OUT_BINARY, cap, buffer).i16(capacity).output(
            ITEM_OUT_SHORT, 2, length);
        const SQLRETURN rc = req.run();
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
            return rc;
        std::uint32_t got = 0;
        std::int16_t n = 0;
        if (buffer && cap > 0)
            req.getBlock(buffer, cap, got);
        if (length && req.get16(n))
            *length = n;
        return req.ok() ? rc : SQL_ERROR;
    });
}
