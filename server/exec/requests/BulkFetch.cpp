// Bulk reading: a block of rows per request, laid out as the client lays it out.
#include <algorithm>
#include <cstring>

#include "ExecSession.h"

namespace qn::exec {

namespace {

// Bound columns when the client has bindings, else the columns it learned to read
// with SQLGetData; each takes its indicator, code and data.
void layOutBulk(Statement& s) {
  uint32_t next = 0;
  if (s.localBindings) {
    for (auto& [number, b] : s.columns) {
      if (!b.takesPart()) continue;
      s.bulkLayout.push_back({number, next, uint32_t(b.elementSize())});
      next += 8 + uint32_t(b.elementSize());
    }
  } else {
    for (auto& [number, c] : s.learned) {
      if (!c.cached || c.length <= 0) continue;
      s.bulkLayout.push_back({number, next, uint32_t(c.length)});
      next += 8 + uint32_t(c.length);
    }
  }
  s.bulkStride = next + 2;
}

void fillColumn(Statement& s, const Statement::BulkColumn& c, uint8_t* at) {
  SQLLEN indicator = 0;
  SQLRETURN rc = SQL_SUCCESS;
  if (s.localBindings) {
    Binding& b = s.columns[c.number];
    indicator = b.hasIndicator ? b.indicators[0] : SQLLEN(b.elementSize());
    std::memcpy(at + 8, b.row(0), std::min<size_t>(c.length, b.stride()));
  } else {
    const LearnedColumn& l = s.learned[c.number];
    std::vector<uint8_t> data(c.length + 8, 0);
    rc = SQLGetData(s.h(), c.number, l.cType, data.data(), SQLLEN(c.length), &indicator);
    if (rc != SQL_SUCCESS)
      for (auto& d : backend::diagnostics(SQL_HANDLE_STMT, s.h())) s.errors.push_back(d);
    if (!backend::succeeded(rc)) indicator = 0;
    std::memcpy(at + 8, data.data(), c.length);
  }
  writeU32(at, uint32_t(int32_t(std::clamp<SQLLEN>(indicator, INT32_MIN, INT32_MAX))));
  writeU16(at + 4, uint16_t(int16_t(rc)));
}

int16_t bulkFetch(ExecSession& s, ItemReader& in, ItemWriter& out) {
  Statement& st = s.statement(in);
  int32_t wanted = in.getLong();
  if (st.bulkRowset == 0 || wanted < 1)
    return ExecSession::fail(st.errors, "S1010", "Bulk reading is not enabled on this statement.");
  if (st.bulkLayout.empty()) layOutBulk(st);
  if (st.bulkLayout.empty())
    return ExecSession::fail(st.errors, "S1010", "No columns to read in bulk.");
  if (st.localBindings) {
    SQLRETURN rc = prepareColumns(s, st, st.rowsetSize);
    if (!backend::succeeded(rc)) return s.record(rc, st);
  }
  // The client's budget keeps a block 256 bytes below the maximum message size.
  size_t budget = s.maxMessage() > 256 ? s.maxMessage() - 256 : 0;
  size_t rows = std::min<size_t>(size_t(wanted), budget / st.bulkStride);
  std::vector<uint8_t> block;
  int16_t last = SQL_SUCCESS;
  size_t count = 0;
  for (; count < rows; ++count) {
    last = s.record(SQLFetch(st.h()), st);
    if (last == kNoData) break;
    if (count == 0 && !backend::succeeded(last)) return last;
    block.resize((count + 1) * st.bulkStride, 0);
    uint8_t* row = block.data() + count * st.bulkStride;
    writeU16(row, uint16_t(last));
    if (backend::succeeded(last))
      for (const auto& c : st.bulkLayout) fillColumn(st, c, row + 2 + c.offset);
    if (!backend::succeeded(last)) {
      ++count;
      break;
    }
  }
  int16_t code = count == 0 && last == kNoData ? kNoData : SQL_SUCCESS;
  if (code == kNoData) {
    recomputeCache(s, st);
    writeOutputParameters(st, out);
  }
  out.putLong(int32_t(count));
  out.putBinary(block.data(), block.size());
  return code;
}

}  // namespace

void registerBulkRequests(std::map<int, RequestFn>& t) { t[124] = bulkFetch; }

}  // namespace qn::exec
