// SQLSetPos: positioned update, delete, add and refresh of a row of the rowset.
#include <algorithm>
#include <cstring>

#include "ExecSession.h"

namespace qn::exec {

namespace {

int32_t wireIndicator(const Binding& b, size_t row) {
  if (!b.hasIndicator) return int32_t(b.elementSize());
  SQLLEN v = b.indicators[row];
  return int32_t(std::clamp<SQLLEN>(v, INT32_MIN, INT32_MAX));
}

// One row of every bound column: the row's indicator, then its data when it has a value.
void readRowItems(Statement& st, size_t row, ItemReader& in) {
  for (auto& [number, b] : st.columns) {
    if (!b.takesPart()) continue;
    uint32_t index = uint32_t(number) + 1;
    Item it = in.getBoundData(index, 4);
    int32_t indicator = it.payloadSize == 4 ? int32_t(readU32(it.payload)) : 0;
    if (b.hasIndicator) b.indicators[row] = indicator;
    if (!b.hasData || !b.usable || b.elementSize() == 0 || isSpecial(indicator)) continue;
    if (in.peekIndex() != index) continue;
    Item data = in.getBoundData(index, b.elementSize());
    uint8_t* target = b.row(row);
    std::memset(target, 0, b.stride());
    std::memcpy(target, data.payload, std::min(data.payloadSize, b.stride()));
    if (b.hasIndicator && indicator == SQL_NTS && b.cType == SQL_C_CHAR)
      b.indicators[row] = SQLLEN(strnlen(reinterpret_cast<char*>(target), b.stride()));
  }
}

void writeRowItems(Statement& st, size_t row, ItemWriter& out) {
  for (auto& [number, b] : st.columns) {
    if (!b.takesPart()) continue;
    uint32_t index = uint32_t(number) + 1;
    uint8_t bytes[4];
    int32_t indicator = wireIndicator(b, row);
    writeU32(bytes, uint32_t(indicator));
    out.putBinary(bytes, 4, index);
    if (!b.hasData || !b.usable || b.elementSize() == 0 || isSpecial(indicator)) continue;
    std::vector<uint8_t> data(b.elementSize(), 0);
    std::memcpy(data.data(), b.row(row), std::min(b.elementSize(), b.stride()));
    out.putBinary(data.data(), data.size(), index);
  }
}

int16_t setPos(ExecSession& s, ItemReader& in, ItemWriter& out) {
  Statement& st = s.statement(in);
  int16_t row = in.getShort();
  int16_t operation = in.getShort();
  int16_t lock = in.getShort();
  size_t limit = st.rowsetSize + (operation == SQL_ADD ? 1 : 0);
  if (row < 0 || size_t(row) > limit)
    return ExecSession::fail(st.errors, "S1107", "Row value out of range.");
  if (operation < SQL_POSITION || operation > SQL_ADD)
    return ExecSession::fail(st.errors, "S1009", "Invalid positioned operation.");
  size_t rows = std::max(st.rowsetSize, size_t(row));
  SQLRETURN rc = prepareColumns(s, st, rows);
  if (!backend::succeeded(rc)) return s.record(rc, st);
  bool wholeRowset = row == 0 || st.rowsetSize == 1;
  if (operation == SQL_UPDATE || operation == SQL_ADD) {
    if (wholeRowset) readBoundItems(st.columns, st.rowsetSize, in);
    else readRowItems(st, size_t(row) - 1, in);
  }
  st.pending = {};
  int16_t code = s.record(SQLSetPos(st.h(), SQLSETPOSIROW(row), SQLUSMALLINT(operation), SQLUSMALLINT(lock)), st);
  if (operation == SQL_REFRESH && backend::succeeded(code)) {
    if (wholeRowset) writeBoundItems(st.columns, st.rowsetSize, out);
    else writeRowItems(st, size_t(row) - 1, out);
  }
  return code;
}

}  // namespace

void registerPositionRequests(std::map<int, RequestFn>& t) { t[68] = setPos; }

}  // namespace qn::exec
