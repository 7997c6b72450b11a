// Requests on result sets: column binding, description, fetching and SQLGetData.
#include <algorithm>
#include <cstring>

#include "ExecSession.h"

namespace qn::exec {

namespace {

int16_t resolveCType(Statement& st, int16_t column, int16_t cType) {
  if (cType != SQL_C_DEFAULT) return cType;
  SQLLEN sqlType = SQL_CHAR;
  SQLColAttributes(st.h(), SQLUSMALLINT(column), SQL_COLUMN_TYPE, nullptr, 0, nullptr, &sqlType);
  return defaultCType(int16_t(sqlType));
}

// Binds (or, without data and indicator, unbinds) one column at the back end.
int16_t bindColumn(ExecSession& s, Statement& st, int16_t column, int16_t cType, bool hasData,
                   int32_t bufferLength, bool hasIndicator, bool usable) {
  if (column < 0) return ExecSession::fail(st.errors, "S1002", "Invalid column number.");
  st.learned.erase(uint16_t(column));
  if (!hasData && !hasIndicator) {
    int16_t code = s.record(SQLBindCol(st.h(), SQLUSMALLINT(column), SQL_C_CHAR, nullptr, 0, nullptr), st);
    if (backend::succeeded(code)) st.columns.erase(uint16_t(column));
    return code;
  }
  Binding b;
  b.hasData = hasData;
  b.hasIndicator = hasIndicator;
  b.usable = usable;
  b.cType = resolveCType(st, column, cType);
  int32_t fixed = fixedLength(b.cType);
  b.bufferLength = fixed ? fixed : std::max(bufferLength, 0);
  s.reserve(b, st.rowsetSize);
  int16_t code = s.record(SQLBindCol(st.h(), SQLUSMALLINT(column), b.cType, b.dataPointer(),
                                     SQLLEN(b.stride()), b.indicatorPointer()), st);
  if (backend::succeeded(code)) st.columns[uint16_t(column)] = std::move(b);
  return code;
}

int16_t bindCol(ExecSession& s, ItemReader& in, ItemWriter&) {
  Statement& st = s.statement(in);
  int16_t column = in.getShort();
  int16_t cType = in.getShort();
  OutArea buffer = in.getOut(tag::OutBinary);
  int32_t bufferLength = in.getLong();
  OutArea indicator = in.getOut(tag::OutLong);
  int16_t usable = in.getShort();
  int16_t code = bindColumn(s, st, column, cType, buffer.present, bufferLength, indicator.present, usable != 0);
  if (backend::succeeded(code)) {
    st.localBindings = true;
    recomputeCache(s, st);
  }
  return code;
}

// The client's whole column table at once (deferred binding): 36-byte entries.
int16_t bindBlock(ExecSession& s, ItemReader& in, ItemWriter&) {
  Statement& st = s.statement(in);
  int16_t count = in.getShort();
  auto table = in.getBinary().value_or(std::vector<uint8_t>());
  if (count < 0 || table.size() != size_t(count) * 36) throw MalformedRequest("bind block of wrong size");
  for (int16_t column = 0; column < count; ++column) {
    const uint8_t* e = table.data() + size_t(column) * 36;
    bool hasData = readU32(e) != 0;
    bool hasIndicator = readU32(e + 8) != 0;
    if (!hasData && !hasIndicator && !st.columns.count(uint16_t(column))) continue;
    auto length = int32_t(readU32(e + 4));
    auto cType = int16_t(uint16_t(e[32] | e[33] << 8));
    int16_t code = bindColumn(s, st, column, cType, hasData, length, hasIndicator, readU32(e + 24) != 0);
    if (!backend::succeeded(code)) return code;
  }
  st.localBindings = true;
  recomputeCache(s, st);
  return SQL_SUCCESS;
}

int16_t describeCol(ExecSession& s, ItemReader& in, ItemWriter& out) {
  Statement& st = s.statement(in);
  int16_t column = in.getShort();
  OutArea nameArea = in.getOut(tag::OutString);
  int16_t capacity = in.getShort();
  OutArea nameLength = in.getOut(tag::OutShort);
  OutArea sqlType = in.getOut(tag::OutShort);
  OutArea precision = in.getOut(tag::OutLong);
  OutArea scale = in.getOut(tag::OutShort);
  OutArea nullable = in.getOut(tag::OutShort);
  int64_t room = nameArea.present ? std::min<int64_t>(capacity, nameArea.capacity) : 0;
  ColumnDescription d = describeColumn(st, SQLUSMALLINT(column));
  int16_t code = s.record(d.rc, st);
  if (!backend::succeeded(code)) return code;
  if (nameArea.present) out.putStringFitting(d.name, room);
  if (nameArea.present && int64_t(d.name.size()) >= room) {
    st.errors.push_back({"01004", 0, std::string(kServerErrorPrefix) + "Data truncated."});
    code = SQL_SUCCESS_WITH_INFO;
  }
  SQLSMALLINT len = SQLSMALLINT(std::min<size_t>(d.name.size(), 32767));
  SQLSMALLINT type = d.sqlType, digits = d.scale, nulls = d.nullable;
  SQLULEN size = d.precision;
  if (nameLength.present) out.putShort(len);
  if (sqlType.present) out.putShort(type);
  if (precision.present) out.putLong(int32_t(std::min<SQLULEN>(size, 0x7FFFFFFF)));
  if (scale.present) out.putShort(digits);
  if (nullable.present) out.putShort(nulls);
  return code;
}

int16_t colAttributes(ExecSession& s, ItemReader& in, ItemWriter& out) {
  Statement& st = s.statement(in);
  int16_t column = in.getShort();
  int16_t descriptor = in.getShort();
  OutArea textArea = in.getOut(tag::OutString);
  int16_t bufferLength = in.getShort();
  OutArea length = in.getOut(tag::OutShort);
  OutArea number = in.getOut(tag::OutLong);
  int64_t room = textArea.present ? std::min<int64_t>(bufferLength, textArea.capacity) : 0;
  std::vector<char> text(size_t(std::max<int64_t>(room, 0)) + 8, 0);
  SQLSMALLINT len = 0;
  SQLLEN value = 0;
  int16_t code = s.record(SQLColAttributes(st.h(), SQLUSMALLINT(column), SQLUSMALLINT(descriptor),
                                           text.data(), SQLSMALLINT(std::max<int64_t>(room, 0)), &len,
                                           &value), st);
  if (!backend::succeeded(code)) return code;
  if (textArea.present && bufferLength > 0)
    out.putStringFitting(std::string(text.data(), strnlen(text.data(), text.size())), room);
  if (length.present) out.putShort(len);
  if (number.present) out.putLong(int32_t(value));
  return code;
}

int16_t fetch(ExecSession& s, ItemReader& in, ItemWriter& out) {
  Statement& st = s.statement(in);
  SQLRETURN rc = prepareColumns(s, st, st.rowsetSize);
  if (!backend::succeeded(rc)) return s.record(rc, st);
  int16_t code = s.record(SQLFetch(st.h()), st);
  if (backend::succeeded(code)) {
    writeBoundItems(st.columns, st.rowsetSize, out);
    cacheStep(s, st, out);
  } else if (code == kNoData) {
    recomputeCache(s, st);
    writeOutputParameters(st, out);
  }
  return code;
}

int16_t extendedFetch(ExecSession& s, ItemReader& in, ItemWriter& out) {
  Statement& st = s.statement(in);
  int16_t type = in.getShort();
  int32_t row = in.getLong();
  OutArea rowCount = in.getOut(tag::OutLong);
  OutArea status = in.getOut(tag::OutBinary);
  SQLRETURN rc = prepareColumns(s, st, st.rowsetSize);
  if (!backend::succeeded(rc)) return s.record(rc, st);
  std::vector<SQLUSMALLINT> statuses(st.rowsetSize, 0);
  SQLULEN fetched = 0;
  int16_t code = s.record(SQLExtendedFetch(st.h(), SQLUSMALLINT(type), SQLLEN(row), &fetched,
                                           statuses.data()), st);
  if (!backend::succeeded(code) && code != kNoData) return code;
  if (rowCount.present && code != kNoData) out.putLong(int32_t(fetched));
  if (status.present) {
    std::vector<uint8_t> bytes(statuses.size() * 2);
    for (size_t i = 0; i < statuses.size(); ++i) writeU16(&bytes[i * 2], statuses[i]);
    out.putBinary(bytes.data(), std::min<size_t>(bytes.size(), status.capacity));
  }
  if (code == kNoData) {
    recomputeCache(s, st);
    writeOutputParameters(st, out);
  } else {
    writeBoundItems(st.columns, st.rowsetSize, out);
    cacheStep(s, st, out);
  }
  return code;
}

// Bytes of a SQLGetData result worth sending: the value and its terminator,
// within the caller's buffer.
size_t validBytes(int16_t cType, SQLLEN indicator, size_t capacity) {
  if (int32_t fixed = fixedLength(cType)) return std::min<size_t>(size_t(fixed), capacity);
  if (size_t storage = storageSize(cType)) return std::min(storage, capacity);
  if (indicator < 0) return capacity;  // no total known: the buffer is full
  size_t n = size_t(indicator);
  if (cType == SQL_C_CHAR) n += 1;
  else if (cType == SQL_C_WCHAR) n += 2;
  return std::min(n, capacity);
}

int16_t getData(ExecSession& s, ItemReader& in, ItemWriter& out) {
  Statement& st = s.statement(in);
  int16_t column = in.getShort();
  int16_t cType = resolveCType(st, column, in.getShort());
  OutArea buffer = in.getOut(tag::OutBinary);
  int32_t bufferLength = in.getLong();
  OutArea indicatorArea = in.getOut(tag::OutLong);
  int32_t fixed = fixedLength(cType);
  learnGetData(s, st, column, cType, fixed ? fixed : bufferLength);
  size_t capacity = buffer.present ? std::min<size_t>(size_t(std::max(bufferLength, 0)), buffer.capacity) : 0;
  // The reply must fit one message; longer values arrive over several calls.
  capacity = std::min<size_t>(capacity, s.maxMessage() > 128 ? s.maxMessage() - 128 : 0);
  size_t room = std::max(capacity, storageSize(cType));
  std::vector<uint8_t> data(room + 8, 0);
  SQLLEN indicator = 0;
  int16_t code = s.record(SQLGetData(st.h(), SQLUSMALLINT(column), cType, data.data(), SQLLEN(room),
                                     &indicator), st);
  if (!backend::succeeded(code)) return code;
  if (!indicatorArea.present && indicator == SQL_NULL_DATA)
    return ExecSession::fail(st.errors, "22002", "Indicator variable required but not supplied.");
  if (indicatorArea.present) out.putLong(int32_t(std::max<SQLLEN>(std::min<SQLLEN>(indicator, 0x7FFFFFFF), -0x7FFFFFFF)));
  if (buffer.present && bufferLength >= 1 && (!indicatorArea.present || indicator >= 1))
    out.putBinary(data.data(), validBytes(cType, indicator, capacity));
  return code;
}

int16_t moreResults(ExecSession& s, ItemReader& in, ItemWriter& out) {
  Statement& st = s.statement(in);
  int16_t code = s.record(SQLMoreResults(st.h()), st);
  if (backend::succeeded(code)) {
    writeDescribeBlock(s, st, out);
    writeRowCounter(st, out);
    writeOutputParameters(st, out);
  } else if (code == kNoData) {
    writeOutputParameters(st, out);
  }
  return code;
}

}  // namespace

void registerResultRequests(std::map<int, RequestFn>& t) {
  t[4] = bindCol;
  t[123] = bindBlock;
  t[6] = colAttributes;
  t[8] = describeCol;
  t[13] = fetch;
  t[43] = getData;
  t[59] = extendedFetch;
  t[61] = moreResults;
}

}  // namespace qn::exec
