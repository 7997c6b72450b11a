#pragma once
// Server-side buffers behind the client's column and parameter bindings, and the
// bound-data items that carry their contents (index = binding number + 1).
#include <sql.h>
#include <sqlext.h>

#include <cstdint>
#include <map>
#include <vector>

#include "protocol/Items.h"

namespace qn::exec {

// Length the client gives every value of a fixed-size C type (replacing its own),
// or 0 for types that keep the caller's length.
int32_t fixedLength(int16_t cType);
// Bytes the back end writes for one value of a C type of known size, else 0.
size_t storageSize(int16_t cType);
// SQL_C_DEFAULT resolved from an SQL type.
int16_t defaultCType(int16_t sqlType);
// A value that is negative and not SQL_NTS: null, data at execution.
inline bool isSpecial(int64_t v) { return v < 0 && v != SQL_NTS; }
inline bool isDataAtExec(int64_t v) {
  return v == SQL_DATA_AT_EXEC || v <= SQL_LEN_DATA_AT_EXEC_OFFSET;
}

// Largest buffer one binding may ask the server to hold.
constexpr size_t kMaxBindingBytes = size_t(16) << 20;

struct Binding {
  bool hasData = false;       // the client gave a data pointer
  bool hasIndicator = false;  // the client gave an indicator array
  bool usable = true;         // the client's buffer passed its pointer check
  int16_t cType = SQL_C_CHAR;
  int32_t bufferLength = 0;   // per row, as the client lays out its array
  // Parameters only.
  int16_t paramType = SQL_PARAM_INPUT;
  int16_t sqlType = SQL_CHAR;
  uint32_t precision = 0;
  int16_t scale = 0;

  size_t rows = 0;
  std::vector<uint8_t> data;        // rows * stride, plus zeroed slack
  std::vector<SQLLEN> indicators;   // rows
  std::vector<int32_t> sent;        // indicators as the client sent them (parameters)

  bool takesPart() const { return hasData || hasIndicator; }
  // Bytes per row on the wire (the client's layout).
  size_t elementSize() const { return bufferLength > 0 ? size_t(bufferLength) : 0; }
  // Bytes per row in our buffers (the back end's layout).
  size_t stride() const {
    size_t s = storageSize(cType);
    return s ? s : elementSize();
  }
  uint8_t* row(size_t i) { return data.data() + i * stride(); }
  // Makes room for n rows; true when the buffers moved (a rebind is due).
  bool reserveRows(size_t n);
  SQLPOINTER dataPointer() { return data.data(); }
  SQLLEN* indicatorPointer() { return hasIndicator ? indicators.data() : nullptr; }
};

using BindingTable = std::map<uint16_t, Binding>;

// Appends the items of a whole table for n rows (the layout of a fetch reply).
void writeBoundItems(BindingTable& table, size_t rows, ItemWriter& w);
// Reads the items the client sent for a whole table of n rows into the buffers.
void readBoundItems(BindingTable& table, size_t rows, ItemReader& r);
// Items of one binding only; used by the two functions above and by single-row work.
void writeBindingItems(uint16_t number, Binding& b, size_t rows, ItemWriter& w);
void readBindingItems(uint16_t number, Binding& b, size_t rows, ItemReader& r);

}  // namespace qn::exec
