#include "protocol/BoundData.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace qn::exec {

int32_t fixedLength(int16_t cType) {
  switch (cType) {
    case SQL_C_LONG: case SQL_C_SLONG: case SQL_C_ULONG: case SQL_C_FLOAT:
      return 4;
    case SQL_C_SHORT: case SQL_C_SSHORT: case SQL_C_USHORT:
      return 2;
    case SQL_C_DOUBLE:
      return 8;
    case SQL_C_DATE: case SQL_C_TIME: case SQL_C_TYPE_DATE: case SQL_C_TYPE_TIME:
      return 6;
    case SQL_C_TIMESTAMP: case SQL_C_TYPE_TIMESTAMP:
      return 16;
    case SQL_C_BIT: case SQL_C_TINYINT: case SQL_C_STINYINT: case SQL_C_UTINYINT:
      return 1;
    default:
      return 0;
  }
}

size_t storageSize(int16_t cType) {
  if (int32_t n = fixedLength(cType)) return size_t(n);
  switch (cType) {
    case SQL_C_SBIGINT: case SQL_C_UBIGINT: return 8;
    case SQL_C_NUMERIC: return sizeof(SQL_NUMERIC_STRUCT);
    case SQL_C_GUID: return sizeof(SQLGUID);
    default: return 0;
  }
}

int16_t defaultCType(int16_t sqlType) {
  switch (sqlType) {
    case SQL_CHAR: case SQL_NUMERIC: case SQL_DECIMAL: case SQL_VARCHAR:
    case SQL_LONGVARCHAR: case SQL_BIGINT:
      return SQL_C_CHAR;
    case SQL_INTEGER: return SQL_C_SLONG;
    case SQL_SMALLINT: return SQL_C_SSHORT;
    case SQL_FLOAT: case SQL_DOUBLE: return SQL_C_DOUBLE;
    case SQL_REAL: return SQL_C_FLOAT;
    case SQL_DATE: return SQL_C_DATE;
    case SQL_TIME: return SQL_C_TIME;
    case SQL_TIMESTAMP: return SQL_C_TIMESTAMP;
    case SQL_BIT: return SQL_C_BIT;
    case SQL_TINYINT: return SQL_C_STINYINT;
    default: return SQL_C_BINARY;
  }
}

bool Binding::reserveRows(size_t n) {
  if (n <= rows && !data.empty()) return false;
  size_t element = stride();
  if (element && n > kMaxBindingBytes / element) throw std::bad_alloc();
  // Slack keeps a back end that reads a string without terminator inside our memory.
  data.assign(n * element + 8, 0);
  indicators.assign(n, 0);
  sent.assign(n, 0);
  rows = n;
  return true;
}

namespace {

int32_t toWire(SQLLEN v) {
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return int32_t(v);
}

bool allSpecial(const std::vector<int32_t>& values, size_t rows) {
  for (size_t i = 0; i < rows; ++i)
    if (!isSpecial(values[i])) return false;
  return true;
}

// Length of the single-row data item: the value and its terminator, within the buffer.
size_t singleRowLength(const Binding& b, int32_t indicator) {
  size_t n;
  if (indicator == SQL_NTS) {
    const auto* p = reinterpret_cast<const char*>(b.data.data());
    n = strnlen(p, std::min(b.elementSize(), b.stride())) + 1;
  } else {
    // A wide string's terminator takes two bytes.
    n = size_t(indicator) + (b.cType == SQL_C_WCHAR ? 2 : 1);
  }
  return std::min(n, b.elementSize());
}

}  // namespace

void writeBindingItems(uint16_t number, Binding& b, size_t rows, ItemWriter& w) {
  if (!b.takesPart()) return;
  uint32_t index = uint32_t(number) + 1;
  std::vector<int32_t> wire(rows, 0);
  for (size_t i = 0; i < rows && i < b.rows; ++i) wire[i] = toWire(b.indicators[i]);
  if (b.hasIndicator) w.putBinary(wire.data(), rows * 4, index);
  if (!b.hasData || !b.usable || b.elementSize() == 0) return;
  if (b.hasIndicator && allSpecial(wire, rows)) return;
  size_t element = b.elementSize();
  size_t length = rows * element;
  if (rows == 1 && b.hasIndicator) length = singleRowLength(b, wire[0]);
  std::vector<uint8_t> bytes(length, 0);
  size_t perRow = std::min(element, b.stride());
  for (size_t i = 0; i < rows && i < b.rows; ++i) {
    size_t at = i * element;
    if (at >= length) break;
    std::memcpy(bytes.data() + at, b.row(i), std::min(perRow, length - at));
  }
  w.putBinary(bytes.data(), bytes.size(), index);
}

void readBindingItems(uint16_t number, Binding& b, size_t rows, ItemReader& r) {
  if (!b.takesPart()) return;
  uint32_t index = uint32_t(number) + 1;
  // Buffers are sized (and bound) by the caller; moving them here would leave the
  // back end writing into freed memory.
  if (b.rows < rows) throw std::logic_error("binding buffers not reserved");
  std::fill(b.sent.begin(), b.sent.end(), 0);
  if (b.hasIndicator) {
    Item it = r.getBoundData(index, rows * 4);
    for (size_t i = 0; i * 4 + 4 <= it.payloadSize; ++i) b.sent[i] = int32_t(readU32(it.payload + i * 4));
    for (size_t i = 0; i < rows; ++i) b.indicators[i] = b.sent[i];
  }
  if (!b.hasData || !b.usable || b.elementSize() == 0) return;
  if (b.hasIndicator && allSpecial(b.sent, rows)) return;
  size_t element = b.elementSize();
  Item it = r.getBoundData(index, rows * element);
  std::fill(b.data.begin(), b.data.end(), 0);
  size_t perRow = std::min(element, b.stride());
  for (size_t i = 0; i < rows; ++i) {
    size_t at = i * element;
    if (at >= it.payloadSize) break;
    std::memcpy(b.row(i), it.payload + at, std::min(perRow, it.payloadSize - at));
  }
  // A string measured by its terminator gets an explicit length, so the back end
  // never looks for a terminator the client did not send.
  if (!b.hasIndicator || (b.cType != SQL_C_CHAR && b.cType != SQL_C_WCHAR)) return;
  for (size_t i = 0; i < rows; ++i) {
    if (b.indicators[i] != SQL_NTS) continue;
    const uint8_t* row = b.row(i);
    size_t limit = b.stride();
    size_t n = 0;
    if (b.cType == SQL_C_CHAR) {
      while (n < limit && row[n]) ++n;
    } else {
      while (n + 1 < limit && (row[n] || row[n + 1])) n += 2;
    }
    b.indicators[i] = SQLLEN(n);
  }
}

void writeBoundItems(BindingTable& table, size_t rows, ItemWriter& w) {
  for (auto& [number, b] : table) writeBindingItems(number, b, rows, w);
}

void readBoundItems(BindingTable& table, size_t rows, ItemReader& r) {
  for (auto& [number, b] : table) readBindingItems(number, b, rows, r);
}

}  // namespace qn::exec
