// Binding tables of a statement and the bound-data items that carry their values.
#pragma once

#include "Request.h"

#include <vector>

namespace qn::odbc {

SQLSMALLINT defaultCType(SQLSMALLINT sqlType);
// Width of a fixed-size C type, or 0 when the caller's length applies.
SQLLEN fixedLength(SQLSMALLINT cType);
// Bytes of a terminated string within `capacity` bytes; UTF-16 units when `wide`.
SQLLEN textBytes(const void *data, SQLLEN capacity, bool wide);
// A buffer is usable when one byte at it can be read and written.
bool pointerUsable(const void *p);

// Value an unusable buffer is announced with.
constexpr std::uint32_t kColumnToken = 0x10000;
constexpr std::uint32_t kParamToken = 0x20000;

// Grows the table so `position` exists; false when memory is short.
bool ensureBinding(std::vector<Binding> &table, std::size_t position);

// Stores a binding at `position` (checking its buffer); null with "S1001"/14 in `rec`
// when the table cannot grow.
Binding *storeBinding(std::vector<Binding> &table, std::size_t position, void *data, SQLLEN length,
                      SQLLEN *indicator, SQLSMALLINT cType, ErrorRecord &rec);

// Negative and not SQL_NTS: NULL, data-at-execution and the like.
inline bool isSpecial(SQLLEN v) { return v < 0 && v != SQL_NTS; }
bool allSpecial(const SQLLEN *indicators, SQLULEN count);

// Appends the items of every bound entry for a set of `setSize` rows.
bool putBoundItems(Request &req, const std::vector<Binding> &table, SQLULEN setSize);
// Reads them back in the same order. `outputParams`: the reply may stop early.
bool readBoundItems(Request &req, std::vector<Binding> &table, SQLULEN setSize, bool outputParams);

// One row of a rowset, for positioned operations.
bool putRowItems(Request &req, const std::vector<Binding> &table, SQLULEN row);
bool readRowItems(Request &req, std::vector<Binding> &table, SQLULEN row);

} // namespace qn::odbc
