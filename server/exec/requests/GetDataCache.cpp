// The server half of the GetData cache: the client learns which columns the
// application reads with SQLGetData on the first row of a result, and from then on
// every fetch reply carries those values in a block whose layout both sides compute.
#include <algorithm>
#include <cstring>

#include "ExecSession.h"

namespace qn::exec {

namespace {

bool allowed(const ExecSession& session, const Statement& s) {
  return s.bulkRowset != 0 ||
         (session.limits().grantedOptions & (kOptionGetDataCache | kOptionDictionaryCache)) != 0;
}

bool usable(const ExecSession& session, const Statement& s) {
  return allowed(session, s) && !s.localBindings && s.rowsetSize < 2 && s.columnCount > 0;
}

// Offsets for the learned columns; returns false when nothing can be laid out.
void layOut(Statement& s) {
  uint32_t next = 0;
  bool placed = false;
  for (int column = 1; column <= s.columnCount; ++column) {
    auto it = s.learned.find(uint16_t(column));
    if (it == s.learned.end() || !it->second.cached) continue;
    LearnedColumn& c = it->second;
    if (c.length > 0 && uint32_t(c.length) < s.cacheSize) {
      c.offset = next;
      next += uint32_t(c.length) + 8;
      placed = true;
      continue;
    }
    c.cached = false;
    if (!placed) continue;
    for (auto later = std::next(it); later != s.learned.end(); ++later) later->second.cached = false;
    break;
  }
  s.cacheSize = next;
}

void writeBlock(Statement& s, ItemWriter& out) {
  std::vector<uint8_t> block(s.cacheSize, 0);
  for (int column = 1; column <= s.columnCount; ++column) {
    auto it = s.learned.find(uint16_t(column));
    if (it == s.learned.end() || !it->second.cached) continue;
    const LearnedColumn& c = it->second;
    uint8_t* at = block.data() + c.offset;
    std::vector<uint8_t> data(size_t(c.length) + 8, 0);
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLGetData(s.h(), SQLUSMALLINT(column), c.cType, data.data(), c.length, &indicator);
    if (rc != SQL_SUCCESS) {
      // The client asks for these records when it meets the column's code.
      for (auto& d : backend::diagnostics(SQL_HANDLE_STMT, s.h())) s.errors.push_back(d);
    }
    if (!backend::succeeded(rc)) indicator = 0;
    writeU32(at, uint32_t(int32_t(std::clamp<SQLLEN>(indicator, INT32_MIN, INT32_MAX))));
    writeU16(at + 4, uint16_t(int16_t(rc)));
    std::memcpy(at + 8, data.data(), size_t(c.length));
  }
  out.putBinary(block.data(), block.size());
}

}  // namespace

void recomputeCache(const ExecSession& session, Statement& s) {
  s.cacheState = usable(session, s) ? kCacheArmed : kCacheOff;
}

void learnGetData(const ExecSession& session, Statement& s, int16_t column, int16_t cType, int32_t length) {
  if (s.cacheState != kCacheLearning || !usable(session, s)) return;
  if (column < 1 || column > s.columnCount || length == 0) return;
  LearnedColumn& c = s.learned[uint16_t(column)];
  c.length = length;
  c.cType = cType;
  c.cached = true;
}

void cacheStep(const ExecSession& session, Statement& s, ItemWriter& out) {
  if (s.cacheState == kCacheOff || !usable(session, s)) return;
  if (s.cacheState == kCacheArmed) {
    s.cacheState = kCacheLearning;
    return;
  }
  if (s.cacheState == kCacheLearning) {
    s.cacheState = kCacheActive;
    layOut(s);
  }
  writeBlock(s, out);
}

}  // namespace qn::exec
