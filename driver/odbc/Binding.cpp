#include "Binding.h"

#include <sys/uio.h>
#include <unistd.h>

#include <cstring>

namespace qn::odbc {

SQLSMALLINT defaultCType(SQLSMALLINT sqlType) {
    switch (sqlType) {
    case SQL_CHAR: case SQL_NUMERIC: case SQL_DECIMAL: case SQL_VARCHAR: case SQL_LONGVARCHAR: case SQL_BIGINT:
        return SQL_C_CHAR;
    case SQL_INTEGER: return SQL_C_SLONG;
    case SQL_SMALLINT: return SQL_C_SSHORT;
    case SQL_FLOAT: case SQL_DOUBLE: return SQL_C_DOUBLE;
    case SQL_REAL: return SQL_C_FLOAT;
    case SQL_DATE: case SQL_TYPE_DATE: return SQL_C_DATE;
    case SQL_TIME: case SQL_TYPE_TIME: return SQL_C_TIME;
    case SQL_TIMESTAMP: case SQL_TYPE_TIMESTAMP: return SQL_C_TIMESTAMP;
    case SQL_BIT: return SQL_C_BIT;
    case SQL_TINYINT: return SQL_C_STINYINT;
    default: return SQL_C_BINARY;
    }
}

SQLLEN fixedLength(SQLSMALLINT cType) {
    switch (cType) {
    case SQL_C_LONG: case SQL_C_SLONG: case SQL_C_ULONG: case SQL_C_FLOAT: return 4;
    case SQL_C_SHORT: case SQL_C_SSHORT: case SQL_C_USHORT: return 2;
    case SQL_C_DOUBLE: case SQL_C_SBIGINT: case SQL_C_UBIGINT: return 8;
    case SQL_C_DATE: case SQL_C_TIME: case SQL_C_TYPE_DATE: case SQL_C_TYPE_TIME: return 6;
    case SQL_C_TIMESTAMP: case SQL_C_TYPE_TIMESTAMP: return 16;
    case SQL_C_BIT: case SQL_C_TINYINT: case SQL_C_STINYINT: case SQL_C_UTINYINT: return 1;
    default: return 0;
    }
}

SQLLEN textBytes(const void *data, SQLLEN capacity, bool wide) {
    if (!data || capacity <= 0)
        return 0;
    if (!wide)
        return static_cast<SQLLEN>(strnlen(static_cast<const char *>(data), static_cast<std::size_t>(capacity)));
    const auto *w = static_cast<const SQLWCHAR *>(data);
    SQLLEN units = 0;
    while (units * 2 + 1 < capacity && w[units] != 0)
        ++units;
    return units * 2;
}

bool pointerUsable(const void *p) {
    if (!p)
        return false;
    // Probing through the kernel reports a bad address as an error instead of a fault.
    unsigned char byte = 0;
    iovec local{&byte, 1};
    iovec remote{const_cast<void *>(p), 1};
    if (process_vm_readv(getpid(), &local, 1, &remote, 1, 0) != 1)
        return false;
    return process_vm_writev(getpid(), &local, 1, &remote, 1, 0) == 1;
}

bool ensureBinding(std::vector<Binding> &table, std::size_t position) {
    if (position < table.size())
        return true;
    try {
        std::size_t size = table.size() + 16;
        if (size <= position)
            size = position + 16;
        table.resize(size);
    } catch (...) {
        return false;
    }
    return true;
}

Binding *storeBinding(std::vector<Binding> &table, std::size_t position, void *data, SQLLEN length,
                      SQLLEN *indicator, SQLSMALLINT cType, ErrorRecord &rec) {
    if (!ensureBinding(table, position)) {
        recordError(rec, "S1001", 14);
        return nullptr;
    }
    Binding &b = table[position];
    b.data = data;
    b.length = length;
    b.indicator = indicator;
    b.usable = pointerUsable(data);
    b.cType = cType;
    return &b;
}

bool allSpecial(const SQLLEN *indicators, SQLULEN count) {
    for (SQLULEN i = 0; i < count; ++i)
        if (!isSpecial(indicators[i]))
            return false;
    return true;
}

namespace {

// Length of a single value: the string with its terminator, or the indicator plus a
// terminator, never beyond the buffer. Fixed-size values always travel whole.
SQLLEN singleLength(const Binding &b) {
    if (fixedLength(b.cType) > 0)
        return b.length;
    const bool wide = b.cType == SQL_C_WCHAR;
    const SQLLEN terminator = wide ? 2 : 1;
    const SQLLEN ind = *b.indicator;
    SQLLEN n = ind + terminator;
    if (ind == SQL_NTS)
        n = textBytes(b.data, b.length, wide) + terminator;
    return n < b.length ? n : b.length;
}

std::vector<std::int32_t> narrow(const SQLLEN *ind, SQLULEN count) {
    std::vector<std::int32_t> out(count);
    for (SQLULEN i = 0; i < count; ++i)
        out[i] = static_cast<std::int32_t>(ind[i]);
    return out;
}

} // namespace

bool putBoundItems(Request &req, const std::vector<Binding> &table, SQLULEN s) {
    for (std::size_t pos = 0; pos < table.size(); ++pos) {
        const Binding &b = table[pos];
        if (!b.bound())
            continue;
        const auto index = static_cast<std::uint32_t>(pos + 1);
        if (b.indicator) {
            auto ind = narrow(b.indicator, s);
            if (!req.binary(index, ind.data(), static_cast<std::uint32_t>(s * 4)))
                return false;
        }
        if (b.usable && b.length > 0 && (!b.indicator || !allSpecial(b.indicator, s))) {
            const SQLLEN len = (s == 1 && b.indicator) ? singleLength(b) : static_cast<SQLLEN>(s) * b.length;
            if (!req.binary(index, b.data, static_cast<std::uint32_t>(len)))
                return false;
        }
    }
    return true;
}

namespace {

bool readIndicators(Request &req, Binding &b, std::uint32_t index, SQLULEN count, SQLULEN first) {
    std::vector<std::int32_t> ind(count);
    std::uint32_t got = 0;
    if (!req.getBound(index, ind.data(), static_cast<std::uint32_t>(count * 4), got))
        return false;
    for (SQLULEN i = 0; i < count && i * 4 < got; ++i)
        b.indicator[first + i] = ind[i];
    return true;
}

} // namespace

bool readBoundItems(Request &req, std::vector<Binding> &table, SQLULEN s, bool outputParams) {
    std::uint32_t previous = 0;
    for (std::size_t pos = 0; pos < table.size(); ++pos) {
        Binding &b = table[pos];
        if (!b.bound())
            continue;
        const auto index = static_cast<std::uint32_t>(pos + 1);
        if (outputParams) {
            const std::uint32_t next = req.peekIndex();
            if (next == 0 || next > table.size() || next == previous)
                return true;
            if (next != index)
                continue;
            if ((b.data && !pointerUsable(b.data)) || (b.indicator && !pointerUsable(b.indicator)))
                return true;
            previous = next;
        }
        if (b.indicator && !readIndicators(req, b, index, s, 0))
            return false;
        if (b.usable && b.length > 0 && (!b.indicator || !allSpecial(b.indicator, s))) {
            std::uint32_t got = 0;
            if (!req.getBound(index, b.data, static_cast<std::uint32_t>(s * b.length), got))
                return false;
        }
    }
    return true;
}

bool putRowItems(Request &req, const std::vector<Binding> &table, SQLULEN row) {
    for (std::size_t pos = 0; pos < table.size(); ++pos) {
        const Binding &b = table[pos];
        if (!b.bound())
            continue;
        const auto index = static_cast<std::uint32_t>(pos + 1);
        const SQLLEN ind = b.indicator ? b.indicator[row - 1] : b.length;
        const auto ind32 = static_cast<std::int32_t>(ind);
        if (!req.binary(index, &ind32, 4))
            return false;
        if (b.usable && !isSpecial(ind)) {
            Binding one = {};
            one.data = static_cast<char *>(b.data) + b.length * static_cast<SQLLEN>(row - 1);
            one.length = b.length;
            one.cType = b.cType;
            SQLLEN rowInd = ind;
            one.indicator = &rowInd;
            const SQLLEN len = singleLength(one);
            if (!req.binary(index, one.data, static_cast<std::uint32_t>(len)))
                return false;
        }
    }
    return true;
}

bool readRowItems(Request &req, std::vector<Binding> &table, SQLULEN row) {
    for (std::size_t pos = 0; pos < table.size(); ++pos) {
        Binding &b = table[pos];
        if (!b.bound())
            continue;
        const auto index = static_cast<std::uint32_t>(pos + 1);
        std::int32_t ind = 0;
        std::uint32_t got = 0;
        if (!req.getBound(index, &ind, 4, got))
            return false;
        if (b.indicator)
            b.indicator[row - 1] = ind;
        if (b.usable && !isSpecial(ind)) {
            char *dest = static_cast<char *>(b.data) + b.length * static_cast<SQLLEN>(row - 1);
            if (!req.getBound(index, dest, static_cast<std::uint32_t>(b.length), got))
                return false;
        }
    }
    return true;
}

} // namespace qn::odbc
