#include "Binding.h"
#include "Statements.h"

#include <cstring>
#include <limits>

namespace qn::odbc {

namespace {

std::int16_t le16(const unsigned char *p) { return static_cast<std::int16_t>(p[0] | (p[1] << 8)); }

void parseDescriptor(const unsigned char *raw, ColumnDescriptor &d) {
    std::memcpy(d.name, raw, 64);
    d.name[63] = 0;
    d.precision = qn::readU32(raw + 64);
    d.returnCode = le16(raw + 68);
    d.nameLength = le16(raw + 70);
    d.sqlType = le16(raw + 72);
    d.scale = le16(raw + 74);
    d.nullable = le16(raw + 76);
}

} // namespace

bool describeStep(Statement &stmt, Request &req, bool catalog) {
    stmt.describeValid = true;
    stmt.bulkState = 1;
    stmt.catalogResult = catalog;
    stmt.columnCount = -1;
    if (!((stmt.grantedOptions & 1u) || bulkReadOn(stmt)))
        return true;
    auto failed = [&stmt] {
        stmt.describeValid = false;
        stmt.bulkState = 0;
        return false;
    };
    std::int32_t count = 0;
    if (!req.get32(count))
        return failed();
    if (count > 0) {
        if (!ensureBinding(stmt.columns, static_cast<std::size_t>(count))) {
            recordError(stmt.error, "S1001", 14);
            return failed();
        }
        for (std::int32_t i = 1; i <= count; ++i) {
            Binding &b = stmt.columns[static_cast<std::size_t>(i)];
            if (!b.descriptor)
                b.descriptor = std::make_unique<ColumnDescriptor>();
            unsigned char raw[80] = {};
            std::uint32_t got = 0;
            if (!req.getBlock(raw, sizeof raw, got))
                return failed();
            parseDescriptor(raw, *b.descriptor);
        }
    }
    stmt.columnCount = static_cast<SQLSMALLINT>(count);
    return true;
}

bool readRowCounter(Statement &stmt, Request &req) {
    if (!stmt.rowCounterSet || !stmt.rowCounter)
        return true;
    std::int32_t n = 0;
    if (!req.get32(n))
        return false;
    *stmt.rowCounter = static_cast<SQLULEN>(n);
    return true;
}

bool readOutputParams(Statement &stmt, Request &req) {
    return readBoundItems(req, stmt.params, stmt.paramSetSize, true);
}

SQLRETURN freeStatement(Statement &stmt, SQLUSMALLINT option, bool &dropped) {
    dropped = false;
    Connection &conn = *stmt.connection;
    const bool readsParams = option == SQL_CLOSE || option == SQL_DROP || option == SQL_RESET_PARAMS;
    SQLRETURN rc = SQL_SUCCESS;
    bool canRead = false;
    Request req(conn, stmt.error, true);
    if (conn.connected) {
        if (!req.begin(SQL_API_SQLFREESTMT))
            return SQL_ERROR;
        req.handle(ITEM_HSTMT, stmt.serverHandle).i16(static_cast<std::int16_t>(option));
        rc = req.run();
        if (!ok(rc))
            return rc;
        canRead = readsParams;
    }
    if (canRead && !readOutputParams(stmt, req))
        rc = SQL_ERROR;
    switch (option) {
    case SQL_CLOSE:
        stmt.describeValid = false;
        stmt.bulkState = 0;
        break;
    case SQL_DROP: {
        if (conn.statementCount > 0)
            --conn.statementCount;
        auto &list = conn.statements;
        for (auto it = list.begin(); it != list.end(); ++it)
            if (*it == &stmt) {
                list.erase(it);
                break;
            }
        stmt.describeValid = false;
        stmt.localBindings = false;
        dropped = true;
        break;
    }
    case SQL_UNBIND:
        stmt.columns.clear();
        stmt.describeValid = false;
        stmt.localBindings = false;
        break;
    case SQL_RESET_PARAMS:
        stmt.params.clear();
        break;
    default:
        break;
    }
    return rc;
}

SQLRETURN prepare(Statement &stmt, const char *text, SQLINTEGER length) {
    Request req(*stmt.connection, stmt.error);
    if (!req.begin(SQL_API_SQLPREPARE))
        return SQL_ERROR;
    stmt.describeValid = false;
    req.handle(ITEM_HSTMT, stmt.serverHandle).text(text, length).i32(length);
    return req.run();
}

SQLRETURN execute(Statement &stmt, bool direct, const char *text, SQLINTEGER length) {
    for (const Binding &b : stmt.params) {
        if (b.bound() && !b.usable && !(b.indicator && allSpecial(b.indicator, stmt.paramSetSize))) {
            recordError(stmt.error, "08S01", 31);
            return SQL_ERROR;
        }
    }
    stmt.describeValid = false;
    Request req(*stmt.connection, stmt.error);
    if (!req.begin(direct ? SQL_API_SQLEXECDIRECT : SQL_API_SQLEXECUTE))
        return SQL_ERROR;
    req.handle(ITEM_HSTMT, stmt.serverHandle);
    if (direct)
        req.text(text, length).i32(length);
    if (!putBoundItems(req, stmt.params, stmt.paramSetSize))
        return SQL_ERROR;
    const SQLRETURN rc = req.run();
    if (ok(rc))
        return stepResult(describeStep(stmt, req, false) && readRowCounter(stmt, req) && readOutputParams(stmt, req),
                          rc);
    if (rc == SQL_NEED_DATA)
        return stepResult(readRowCounter(stmt, req), rc);
    return rc;
}

SQLRETURN bindParameter(Statement &stmt, SQLUSMALLINT number, SQLSMALLINT ioType, SQLSMALLINT cType,
                        SQLSMALLINT sqlType, SQLULEN precision, SQLSMALLINT scale, SQLPOINTER data,
                        SQLLEN bufferLength, SQLLEN *indicator) {
    const bool wasDefault = cType == SQL_C_DEFAULT;
    if (wasDefault)
        cType = defaultCType(sqlType);
    SQLLEN length = fixedLength(cType);
    if (length == 0)
        length = bufferLength > 0 ? bufferLength : static_cast<SQLLEN>(precision);
    const bool usable = pointerUsable(data);
    bool warned = false;
    if (!usable) {
        if (ioType == SQL_PARAM_OUTPUT) {
            recordError(stmt.error, "08S01", 33);
            return SQL_ERROR;
        }
        if (ioType == SQL_PARAM_INPUT_OUTPUT) {
            ioType = SQL_PARAM_INPUT;
            recordError(stmt.error, "01000", 32);
            warned = true;
        }
    }
    Binding *b = storeBinding(stmt.params, number, data, length, indicator, cType, stmt.error);
    if (!b)
        return SQL_ERROR;
    b->ioType = ioType;

    Request req(*stmt.connection, stmt.error);
    SQLRETURN rc = SQL_ERROR;
    if (req.begin(SQL_API_SQLBINDPARAMETER)) {
        const std::uint32_t presence = usable ? presenceOf(data) : kParamToken + number;
        req.handle(ITEM_HSTMT, stmt.serverHandle)
            .i16(static_cast<std::int16_t>(number))
            .i16(ioType)
            .i16(cType)
            .i16(sqlType)
            .i32(static_cast<std::int32_t>(precision))
            .i16(scale)
            .outputToken(ITEM_OUT_BINARY, static_cast<std::uint32_t>(length), presence)
            .i32(static_cast<std::int32_t>(wasDefault ? length : bufferLength))
            .output(ITEM_OUT_LONG, 4, indicator)
            .i16(usable ? 1 : 0);
        rc = req.run();
    }
    if (!ok(rc)) {
        stmt.params[number].clearBinding();
        return rc;
    }
    return (rc == SQL_SUCCESS && warned) ? SQL_SUCCESS_WITH_INFO : rc;
}

SQLRETURN paramData(Statement &stmt, SQLPOINTER *value) {
    Request req(*stmt.connection, stmt.error);
    if (!req.begin(SQL_API_SQLPARAMDATA))
        return SQL_ERROR;
    req.handle(ITEM_HSTMT, stmt.serverHandle).output(ITEM_OUT_LONG, 4, value);
    const SQLRETURN rc = req.run();
    if (rc == SQL_NEED_DATA) {
        std::int32_t token = 0;
        if (value && !req.get32(token))
            return SQL_ERROR;
        const int kind = static_cast<int>(static_cast<std::uint32_t>(token) >> 16);
        const auto number = static_cast<std::size_t>(token & 0xFFFF);
        std::vector<Binding> *table = kind == 1 ? &stmt.columns : kind == 2 ? &stmt.params : nullptr;
        if (!table || number >= table->size() || !(*table)[number].bound())
            return SQL_ERROR;
        if (value)
            *value = (*table)[number].data;
        stmt.needDataKind = kind;
        stmt.needDataNumber = static_cast<int>(number);
        return stepResult(readRowCounter(stmt, req), rc);
    }
    if (ok(rc))
        return stepResult(describeStep(stmt, req, false) && readRowCounter(stmt, req) && readOutputParams(stmt, req),
                          rc);
    return rc;
}

SQLRETURN putData(Statement &stmt, SQLPOINTER data, SQLLEN length) {
    std::vector<Binding> &table = stmt.needDataKind == 1 ? stmt.columns : stmt.params;
    const auto number = static_cast<std::size_t>(stmt.needDataNumber);
    if ((stmt.needDataKind != 1 && stmt.needDataKind != 2) || number >= table.size() || table[number].cType == 0)
        return SQL_ERROR;
    const SQLSMALLINT cType = table[number].cType;
    const bool nullChunk = length == SQL_NULL_DATA || length == SQL_DEFAULT_PARAM;
    SQLLEN chunk = length;
    if (!nullChunk) {
        if (fixedLength(cType) > 0)
            chunk = fixedLength(cType);
        else if (length == SQL_NTS && (cType == SQL_C_CHAR || cType == SQL_C_WCHAR))
            chunk = textBytes(data, std::numeric_limits<SQLLEN>::max(), cType == SQL_C_WCHAR);
        // A NULL value travels without data; every other chunk needs bytes.
        if (chunk <= 0 || !data)
            return SQL_ERROR;
    }
    Request req(*stmt.connection, stmt.error);
    if (!req.begin(SQL_API_SQLPUTDATA))
        return SQL_ERROR;
    req.handle(ITEM_HSTMT, stmt.serverHandle);
    if (nullChunk)
        req.text(nullptr, 0);
    else if (!req.binary(1, data, static_cast<std::uint32_t>(chunk)))
        return SQL_ERROR;
    req.i32(static_cast<std::int32_t>(length));
    const SQLRETURN rc = req.run();
    if (!req.ok())
        return SQL_ERROR;
    return stepResult(readRowCounter(stmt, req), rc);
}


} // namespace qn::odbc
