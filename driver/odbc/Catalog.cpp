// The catalog calls: one request each, answered by a result set described like any other.
#include "EntryPoints.h"
#include "Request.h"
#include "Statements.h"

#include "driver/wire/Export.h"

#include <initializer_list>

using namespace qn::odbc;

namespace {

// A string argument with its length, or a 16-bit number.
struct Arg {
    const SQLCHAR *text = nullptr;
    SQLSMALLINT length = 0;
    bool isNumber = false;
    Arg(SQLCHAR *t, SQLSMALLINT len) : text(t), length(len) {}
    explicit Arg(SQLUSMALLINT n) : length(static_cast<SQLSMALLINT>(n)), isNumber(true) {}
};

SQLRETURN catalog(SQLHSTMT h, int api, std::initializer_list<Arg> args) {
    return onStatement(h, true, [&](Statement &s) -> SQLRETURN {
        Request req(*s.connection, s.error);
        if (!req.begin(api))
            return SQL_ERROR;
        s.describeValid = false;
        req.handle(ITEM_HSTMT, s.serverHandle);
        for (const Arg &a : args) {
            if (!a.isNumber)
                req.text(reinterpret_cast<const char *>(a.text), a.length);
            req.i16(a.length);
        }
        const SQLRETURN rc = req.run();
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
            return rc;
        return describeStep(s, req, true) ? rc : SQL_ERROR;
    });
}

} // namespace

QN_EXPORT SQLRETURN SQLTables(SQLHSTMT h, SQLCHAR *q, SQLSMALLINT ql, SQLCHAR *o, SQLSMALLINT ol, SQLCHAR *t,
                              SQLSMALLINT tl, SQLCHAR *type, SQLSMALLINT typel) {
    return catalog(h, SQL_API_SQLTABLES, {{q, ql}, {o, ol}, {t, tl}, {type, typel}});
}

QN_EXPORT SQLRETURN SQLColumns(SQLHSTMT h, SQLCHAR *q, SQLSMALLINT ql, SQLCHAR *o, SQLSMALLINT ol, SQLCHAR *t,
                               SQLSMALLINT tl, SQLCHAR *c, SQLSMALLINT cl) {
    return catalog(h, SQL_API_SQLCOLUMNS, {{q, ql}, {o, ol}, {t, tl}, {c, cl}});
}

QN_EXPORT SQLRETURN SQLStatistics(SQLHSTMT h, SQLCHAR *q, SQLSMALLINT ql, SQLCHAR *o, SQLSMALLINT ol, SQLCHAR *t,
                                  SQLSMALLINT tl, SQLUSMALLINT unique, SQLUSMALLINT accuracy) {
    return catalog(h, SQL_API_SQLSTATISTICS, {{q, ql}, {o, ol}, {t, tl}, Arg(unique), Arg(accuracy)});
}

QN_EXPORT SQLRETURN SQLTablePrivileges(SQLHSTMT h, SQLCHAR *q, SQLSMALLINT ql, SQLCHAR *o, SQLSMALLINT ol,
                                       SQLCHAR *t, SQLSMALLINT tl) {
    return catalog(h, SQL_API_SQLTABLEPRIVILEGES, {{q, ql}, {o, ol}, {t, tl}});
}

QN_EXPORT SQLRETURN SQLColumnPrivileges(SQLHSTMT h, SQLCHAR *q, SQLSMALLINT ql, SQLCHAR *o, SQLSMALLINT ol,
                                        SQLCHAR *t, SQLSMALLINT tl, SQLCHAR *c, SQLSMALLINT cl) {
    return catalog(h, SQL_API_SQLCOLUMNPRIVILEGES, {{q, ql}, {o, ol}, {t, tl}, {c, cl}});
}

QN_EXPORT SQLRETURN SQLSpecialColumns(SQLHSTMT h, SQLUSMALLINT kind, SQLCHAR *q, SQLSMALLINT ql, SQLCHAR *o,
                                      SQLSMALLINT ol, SQLCHAR *t, SQLSMALLINT tl, SQLUSMALLINT scope,
                                      SQLUSMALLINT nullable) {
    return catalog(h, SQL_API_SQLSPECIALCOLUMNS, {Arg(kind), {q, ql}, {o, ol}, {t, tl}, Arg(scope), Arg(nullable)});
}

QN_EXPORT SQLRETURN SQLPrimaryKeys(SQLHSTMT h, SQLCHAR *q, SQLSMALLINT ql, SQLCHAR *o, SQLSMALLINT ol, SQLCHAR *t,
                                   SQLSMALLINT tl) {
    return catalog(h, SQL_API_SQLPRIMARYKEYS, {{q, ql}, {o, ol}, {t, tl}});
}

QN_EXPORT SQLRETURN SQLForeignKeys(SQLHSTMT h, SQLCHAR *pq, SQLSMALLINT pql, SQLCHAR *po, SQLSMALLINT pol,
                                   SQLCHAR *pt, SQLSMALLINT ptl, SQLCHAR *fq, SQLSMALLINT fql, SQLCHAR *fo,
                                   SQLSMALLINT fol, SQLCHAR *ft, SQLSMALLINT ftl) {
    return catalog(h, SQL_API_SQLFOREIGNKEYS, {{pq, pql}, {po, pol}, {pt, ptl}, {fq, fql}, {fo, fol}, {ft, ftl}});
}

QN_EXPORT SQLRETURN SQLProcedures(SQLHSTMT h, SQLCHAR *q, SQLSMALLINT ql, SQLCHAR *o, SQLSMALLINT ol, SQLCHAR *p,
                                  SQLSMALLINT pl) {
    return catalog(h, SQL_API_SQLPROCEDURES, {{q, ql}, {o, ol}, {p, pl}});
}

QN_EXPORT SQLRETURN SQLProcedureColumns(SQLHSTMT h, SQLCHAR *q, SQLSMALLINT ql, SQLCHAR *o, SQLSMALLINT ol,
                                        SQLCHAR *p, SQLSMALLINT pl, SQLCHAR *c, SQLSMALLINT cl) {
    return catalog(h, SQL_API_SQLPROCEDURECOLUMNS, {{q, ql}, {o, ol}, {p, pl}, {c, cl}});
}

QN_EXPORT SQLRETURN SQLGetTypeInfo(SQLHSTMT h, SQLSMALLINT type) {
    return catalog(h, SQL_API_SQLGETTYPEINFO, {Arg(static_cast<SQLUSMALLINT>(type))});
}
