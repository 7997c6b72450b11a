#include "Binding.h"
#include "Statements.h"

#include <cstring>

namespace qn::odbc {

namespace {

// The cached descriptor of a column when the cache may answer for it.
const ColumnDescriptor *cached(const Statement &stmt, SQLUSMALLINT column) {
    const bool expected = (stmt.grantedOptions & 1u) || stmt.bulkRowsetSize != 0;
    if (!stmt.describeValid || !expected || column < 1 || stmt.columnCount < 0 ||
        column > static_cast<SQLUSMALLINT>(stmt.columnCount) || column >= stmt.columns.size())
        return nullptr;
    const ColumnDescriptor *d = stmt.columns[column].descriptor.get();
    return d && (d->returnCode == 0 || d->returnCode == 1) ? d : nullptr;
}

// A locally answered call succeeded without a warning: SQLError has nothing to ask.
SQLRETURN answeredLocally(Statement &stmt) {
    stmt.link().setLastReplyCode(0);
    return SQL_SUCCESS;
}

bool allUsable(Statement &stmt) {
    for (const Binding &b : stmt.columns)
        if (b.bound() && !b.usable) {
            recordError(stmt.error, "08S01", 31);
            return false;
        }
    return true;
}

// C type and buffer length a bind or SQLGetData works with.
SQLRETURN resolveCType(Statement &stmt, SQLUSMALLINT column, SQLSMALLINT &cType) {
    if (cType != SQL_C_DEFAULT)
        return SQL_SUCCESS;
    SQLLEN sqlType = 0;
    const SQLRETURN rc = colAttributes(stmt, column, SQL_COLUMN_TYPE, nullptr, 0, nullptr, &sqlType);
    if (!ok(rc))
        return rc;
    cType = defaultCType(static_cast<SQLSMALLINT>(sqlType));
    return SQL_SUCCESS;
}

} // namespace

SQLRETURN numResultCols(Statement &stmt, SQLSMALLINT *count) {
    const bool expected = (stmt.grantedOptions & 1u) || stmt.bulkRowsetSize != 0;
    if (stmt.describeValid && expected && stmt.columnCount >= 0 && count) {
        *count = stmt.columnCount;
        return answeredLocally(stmt);
    }
    return askShort(stmt, SQL_API_SQLNUMRESULTCOLS, count);
}

SQLRETURN describeCol(Statement &stmt, SQLUSMALLINT column, SQLCHAR *name, SQLSMALLINT capacity,
                      SQLSMALLINT *nameLength, SQLSMALLINT *type, SQLULEN *precision, SQLSMALLINT *scale,
                      SQLSMALLINT *nullable) {
    const ColumnDescriptor *d = cached(stmt, column);
    if (d && (!name || (d->nameLength < capacity && d->nameLength < 64))) {
        if (name && capacity > 0) {
            std::memcpy(name, d->name, static_cast<std::size_t>(d->nameLength));
            name[d->nameLength] = 0;
        }
        if (nameLength)
            *nameLength = d->nameLength;
        if (type)
            *type = d->sqlType;
        if (precision)
            *precision = d->precision;
        if (scale)
            *scale = d->scale;
        if (nullable)
            *nullable = d->nullable;
        return answeredLocally(stmt);
    }
    Request req(*stmt.connection, stmt.error);
    if (!req.begin(SQL_API_SQLDESCRIBECOL))
        return SQL_ERROR;
    req.handle(ITEM_HSTMT, stmt.serverHandle)
        .i16(static_cast<std::int16_t>(column))
        .output(ITEM_OUT_STRING, static_cast<std::uint32_t>(capacity > 0 ? capacity : 0), name)
        .i16(capacity)
        .output(ITEM_OUT_SHORT, 2, nameLength);
    putTypeAreas(req, type, precision, scale, nullable);
    const SQLRETURN rc = req.run();
    if (!ok(rc))
        return rc;
    std::uint32_t got = 0;
    std::int16_t s = 0;
    if (name)
        req.getString(reinterpret_cast<char *>(name), static_cast<std::uint32_t>(capacity > 0 ? capacity : 0), got);
    if (nameLength && req.get16(s))
        *nameLength = s;
    return stepResult(readTypeAnswers(req, type, precision, scale, nullable), rc);
}

SQLRETURN colAttributes(Statement &stmt, SQLUSMALLINT column, SQLUSMALLINT field, SQLPOINTER text,
                        SQLSMALLINT capacity, SQLSMALLINT *length, SQLLEN *number) {
    if (const ColumnDescriptor *d = cached(stmt, column)) {
        auto answer = [&](std::int32_t v) {
            *number = static_cast<SQLLEN>(v);
            return answeredLocally(stmt);
        };
        switch (field) {
        case SQL_COLUMN_COUNT:
            if (number)
                return answer(stmt.columnCount);
            break;
        case SQL_COLUMN_NAME:
            if (text && d->nameLength < capacity && d->nameLength < 64) {
                std::memcpy(text, d->name, static_cast<std::size_t>(d->nameLength));
                static_cast<char *>(text)[d->nameLength] = 0;
                if (length)
                    *length = d->nameLength;
                return answeredLocally(stmt);
            }
            break;
        case SQL_COLUMN_TYPE:
            if (number)
                return answer(d->sqlType);
            break;
        case SQL_COLUMN_PRECISION:
            if (number)
                return answer(static_cast<std::int32_t>(d->precision));
            break;
        case SQL_COLUMN_SCALE:
            if (number)
                return answer(d->scale);
            break;
        case SQL_COLUMN_NULLABLE:
            if (number)
                return answer(d->nullable);
            break;
        default:
            break;
        }
    }
    const std::uint32_t textCapacity = static_cast<std::uint32_t>(capacity > 0 ? capacity : 0);
    Request req(*stmt.connection, stmt.error);
    if (!req.begin(SQL_API_SQLCOLATTRIBUTES))
        return SQL_ERROR;
    req.handle(ITEM_HSTMT, stmt.serverHandle)
        .i16(static_cast<std::int16_t>(column))
        .i16(static_cast<std::int16_t>(field))
        .output(ITEM_OUT_STRING, textCapacity, text)
        .i16(capacity)
        .output(ITEM_OUT_SHORT, 2, length)
        .output(ITEM_OUT_LONG, 4, number);
    const SQLRETURN rc = req.run();
    if (!ok(rc))
        return rc;
    std::uint32_t got = 0;
    std::int16_t s = 0;
    std::int32_t l = 0;
    if (text && capacity > 0)
        req.getString(static_cast<char *>(text), textCapacity, got);
    if (length && req.get16(s))
        *length = s;
    if (number && req.get32(l))
        *number = l;
    return stepResult(req.ok(), rc);
}

SQLRETURN bindCol(Statement &stmt, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER data, SQLLEN bufferLength,
                  SQLLEN *indicator) {
    const bool wasDefault = cType == SQL_C_DEFAULT;
    SQLRETURN rc = resolveCType(stmt, column, cType);
    if (!ok(rc))
        return rc;
    const SQLLEN fixed = fixedLength(cType);
    const SQLLEN length = fixed > 0 ? fixed : bufferLength;
    const Binding *b = storeBinding(stmt.columns, column, data, length, indicator, cType, stmt.error);
    if (!b)
        return SQL_ERROR;
    Request req(*stmt.connection, stmt.error);
    rc = SQL_ERROR;
    if (req.begin(SQL_API_SQLBINDCOL)) {
        const std::uint32_t presence = b->usable ? presenceOf(data) : kColumnToken + column;
        req.handle(ITEM_HSTMT, stmt.serverHandle)
            .i16(static_cast<std::int16_t>(column))
            .i16(cType)
            .outputToken(ITEM_OUT_BINARY, static_cast<std::uint32_t>(length > 0 ? length : 0), presence)
            .i32(static_cast<std::int32_t>(wasDefault ? length : bufferLength))
            .output(ITEM_OUT_LONG, 4, indicator)
            .i16(b->usable ? 1 : 0);
        rc = req.run();
    }
    if (!ok(rc)) {
        stmt.columns[column].clearBinding();
        return rc;
    }
    stmt.localBindings = true;
    return rc;
}

SQLRETURN fetch(Statement &stmt) {
    if (!allUsable(stmt))
        return SQL_ERROR;
    Request req(*stmt.connection, stmt.error);
    if (!req.begin(SQL_API_SQLFETCH))
        return SQL_ERROR;
    req.handle(ITEM_HSTMT, stmt.serverHandle);
    const SQLRETURN rc = req.run();
    if (rc == SQL_NO_DATA_FOUND)
        return stepResult(readOutputParams(stmt, req), rc);
    if (!ok(rc))
        return rc;
    return stepResult(readBoundItems(req, stmt.columns, stmt.rowsetSize, false), rc);
}

SQLRETURN extendedFetch(Statement &stmt, SQLUSMALLINT type, SQLLEN row, SQLULEN *rowCount,
                        SQLUSMALLINT *rowStatus) {
    if (bulkReadOn(stmt)) {
        recordError(stmt.error, "08S01", 63);
        return SQL_ERROR;
    }
    if (!allUsable(stmt))
        return SQL_ERROR;
    const auto statusCapacity = static_cast<std::uint32_t>(stmt.rowsetSize * 2);
    Request req(*stmt.connection, stmt.error);
    if (!req.begin(SQL_API_SQLEXTENDEDFETCH))
        return SQL_ERROR;
    req.handle(ITEM_HSTMT, stmt.serverHandle)
        .i16(static_cast<std::int16_t>(type))
        .i32(static_cast<std::int32_t>(row))
        .output(ITEM_OUT_LONG, 4, rowCount)
        .output(ITEM_OUT_BINARY, statusCapacity, rowStatus);
    const SQLRETURN rc = req.run();
    if (!ok(rc) && rc != SQL_NO_DATA_FOUND)
        return rc;
    std::int32_t n = 0;
    if (rc != SQL_NO_DATA_FOUND && rowCount) {
        if (!req.get32(n))
            return SQL_ERROR;
        *rowCount = static_cast<SQLULEN>(n);
    }
    if (rowStatus) {
        std::vector<unsigned char> raw(statusCapacity);
        std::uint32_t got = 0;
        if (!req.getBlock(raw.data(), statusCapacity, got))
            return SQL_ERROR;
        for (std::uint32_t i = 0; i + 1 < got && i / 2 < stmt.rowsetSize; i += 2)
            rowStatus[i / 2] = static_cast<SQLUSMALLINT>(raw[i] | (raw[i + 1] << 8));
    }
    if (rc == SQL_NO_DATA_FOUND)
        return stepResult(readOutputParams(stmt, req), rc);
    return stepResult(readBoundItems(req, stmt.columns, stmt.rowsetSize, false), rc);
}

SQLRETURN getData(Statement &stmt, SQLUSMALLINT column, SQLSMALLINT cType, SQLPOINTER data, SQLLEN bufferLength,
                  SQLLEN *indicator) {
    SQLRETURN rc = resolveCType(stmt, column, cType);
    if (!ok(rc))
        return rc;
    const SQLLEN fixed = fixedLength(cType);
    const SQLLEN length = fixed > 0 ? fixed : bufferLength;
    Request req(*stmt.connection, stmt.error);
    if (!req.begin(SQL_API_SQLGETDATA))
        return SQL_ERROR;
    req.handle(ITEM_HSTMT, stmt.serverHandle)
        .i16(static_cast<std::int16_t>(column))
        .i16(cType)
        .output(ITEM_OUT_BINARY, static_cast<std::uint32_t>(length > 0 ? length : 0), data)
        .i32(static_cast<std::int32_t>(length))
        .output(ITEM_OUT_LONG, 4, indicator);
    rc = req.run();
    if (!ok(rc))
        return rc;
    std::int32_t ind = 1;
    if (indicator) {
        if (!req.get32(ind))
            return SQL_ERROR;
        *indicator = ind;
    }
    if (data && length >= 1 && ind >= 1) {
        std::uint32_t got = 0;
        if (!req.getBound(1, data, static_cast<std::uint32_t>(length), got))
            return SQL_ERROR;
    } else if (data && ind == 0) {
        // An empty value carries no data item; the caller still expects a terminated string.
        const SQLLEN zeros = cType == SQL_C_WCHAR ? 2 : 1;
        if ((cType == SQL_C_CHAR || cType == SQL_C_WCHAR) && length >= zeros)
            std::memset(data, 0, static_cast<std::size_t>(zeros));
    }
    return rc;
}

SQLRETURN setPos(Statement &stmt, SQLUSMALLINT row, SQLUSMALLINT operation, SQLUSMALLINT lock) {
    if (bulkReadOn(stmt)) {
        recordError(stmt.error, "08S01", 62);
        return SQL_ERROR;
    }
    const SQLULEN r = stmt.rowsetSize;
    const SQLULEN limit = operation == SQL_ADD ? r + 1 : r;
    if (row > limit || (r == 1 && row > 1)) {
        recordError(stmt.error, "S1C00", 12, kNotCapableNative);
        return SQL_ERROR;
    }
    const bool whole = row == 0 || r == 1;
    const bool sendsRow = operation == SQL_UPDATE || operation == SQL_ADD;
    if (sendsRow) {
        for (const Binding &b : stmt.columns) {
            if (!b.bound() || b.usable)
                continue;
            bool special = b.indicator != nullptr;
            for (SQLULEN i = whole ? 0 : row - 1; special && i < (whole ? r : row); ++i)
                special = isSpecial(b.indicator[i]);
            if (!special) {
                recordError(stmt.error, "08S01", 31);
                return SQL_ERROR;
            }
        }
    } else if (operation == SQL_REFRESH && !allUsable(stmt)) {
        return SQL_ERROR;
    }
    Request req(*stmt.connection, stmt.error);
    if (!req.begin(SQL_API_SQLSETPOS))
        return SQL_ERROR;
    req.handle(ITEM_HSTMT, stmt.serverHandle)
        .i16(static_cast<std::int16_t>(row))
        .i16(static_cast<std::int16_t>(operation))
        .i16(static_cast<std::int16_t>(lock));
    if (sendsRow && !(whole ? putBoundItems(req, stmt.columns, r) : putRowItems(req, stmt.columns, row)))
        return SQL_ERROR;
    const SQLRETURN rc = req.run();
    if (operation == SQL_REFRESH && ok(rc))
        return stepResult(whole ? readBoundItems(req, stmt.columns, r, false) : readRowItems(req, stmt.columns, row),
                          rc);
    return rc;
}

} // namespace qn::odbc
