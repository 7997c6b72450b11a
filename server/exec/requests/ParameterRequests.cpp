// Requests on parameters: binding, description and data at execution time.
#include <algorithm>
#include <new>

#include "ExecSession.h"

namespace qn::exec {

namespace {

constexpr uint32_t kColumnToken = 1u << 16;
constexpr uint32_t kParameterToken = 2u << 16;

int16_t bindParameter(ExecSession& s, ItemReader& in, ItemWriter&) {
  Statement& st = s.statement(in);
  int16_t number = in.getShort();
  int16_t paramType = in.getShort();
  int16_t cType = in.getShort();
  int16_t sqlType = in.getShort();
  int32_t precision = in.getLong();
  int16_t scale = in.getShort();
  OutArea buffer = in.getOut(tag::OutBinary);
  int32_t bufferLength = in.getLong();
  OutArea indicator = in.getOut(tag::OutLong);
  int16_t usable = in.getShort();
  if (number < 1) return ExecSession::fail(st.errors, "S1093", "Invalid parameter number.");
  if (paramType != SQL_PARAM_INPUT && paramType != SQL_PARAM_INPUT_OUTPUT && paramType != SQL_PARAM_OUTPUT)
    return ExecSession::fail(st.errors, "S1105", "Invalid parameter type.");
  Binding b;
  b.hasData = buffer.present;
  b.hasIndicator = indicator.present;
  b.usable = usable != 0;
  b.paramType = paramType;
  b.sqlType = sqlType;
  b.precision = uint32_t(std::max(precision, 0));
  b.scale = scale;
  b.cType = cType == SQL_C_DEFAULT ? defaultCType(sqlType) : cType;
  int32_t fixed = fixedLength(b.cType);
  b.bufferLength = fixed ? fixed : bufferLength > 0 ? bufferLength : std::max(precision, 0);
  s.reserve(b, st.paramsetSize);
  int16_t code = s.record(SQLBindParameter(st.h(), SQLUSMALLINT(number), paramType, b.cType, sqlType,
                                           b.precision, scale, b.dataPointer(), SQLLEN(b.stride()),
                                           b.indicatorPointer()), st);
  if (backend::succeeded(code)) st.params[uint16_t(number)] = std::move(b);
  return code;
}

// The binding whose data the back end asks for, found by the data pointer it returned.
struct Asked {
  uint32_t token = 0;  // how the client names it: kind and number
  const Binding* binding = nullptr;
};

Asked askedFor(Statement& st, SQLPOINTER value) {
  for (auto& [number, b] : st.params)
    if (b.dataPointer() == value) return {kParameterToken | number, &b};
  for (auto& [number, b] : st.columns)
    if (b.dataPointer() == value) return {kColumnToken | number, &b};
  return {};
}

// Hands a joined character value to the back end in one piece, terminated, and sized
// by its terminator: a length would let a back end keep only as much as the client's
// buffer holds. A value with a terminator of its own inside goes with its length.
SQLRETURN flushPending(Statement& st) {
  Statement::PendingValue p = std::move(st.pending);
  st.pending = {};
  if (!p.active || p.bytes.empty()) return SQL_SUCCESS;
  const size_t unit = p.wide ? sizeof(SQLWCHAR) : 1;
  std::vector<uint8_t>& v = p.bytes;
  v.resize((v.size() + unit - 1) / unit * unit, 0);
  auto zeroAt = [&](size_t i) {
    return std::all_of(&v[i], &v[i] + unit, [](uint8_t c) { return c == 0; });
  };
  size_t end = v.size();
  while (end >= unit && zeroAt(end - unit)) end -= unit;  // terminators the client sent
  bool inner = false;
  for (size_t i = 0; i < end && !inner; i += unit) inner = zeroAt(i);
  v.resize(end + unit, 0);
  return SQLPutData(st.h(), v.data(), inner ? SQLLEN(end) : SQLLEN(SQL_NTS));
}

int16_t paramData(ExecSession& s, ItemReader& in, ItemWriter& out) {
  Statement& st = s.statement(in);
  OutArea tokenArea = in.getOut(tag::OutLong);
  int16_t code = s.record(flushPending(st), st);
  if (!backend::succeeded(code)) return code;
  SQLPOINTER value = nullptr;
  code = s.record(SQLParamData(st.h(), &value), st);
  if (code == SQL_NEED_DATA) {
    Asked asked = askedFor(st, value);
    if (asked.binding && (asked.binding->cType == SQL_C_CHAR || asked.binding->cType == SQL_C_WCHAR)) {
      st.pending.active = true;
      st.pending.wide = asked.binding->cType == SQL_C_WCHAR;
    }
    if (tokenArea.present) out.putLong(int32_t(asked.token));
    writeRowCounter(st, out);
    return code;
  }
  writeExecuteReply(s, st, code, out);
  return code;
}

int16_t putData(ExecSession& s, ItemReader& in, ItemWriter& out) {
  Statement& st = s.statement(in);
  auto chunk = in.getBinary();
  int32_t length = in.getLong();
  SQLRETURN rc;
  if (!chunk) {
    if (length != SQL_NULL_DATA && length != SQL_DEFAULT_PARAM)
      return ExecSession::fail(st.errors, "S1009", "Invalid use of null pointer.");
    rc = flushPending(st);
    if (backend::succeeded(rc)) rc = SQLPutData(st.h(), nullptr, length);
  } else {
    // The chunk's own size bounds what the back end may read.
    SQLLEN n = length >= 0 && size_t(length) <= chunk->size() ? length : SQLLEN(chunk->size());
    if (st.pending.active) {
      if (s.bindingBytes() + size_t(n) > kSessionBindingBudget) {
        st.pending = {};
        throw std::bad_alloc();
      }
      st.pending.bytes.insert(st.pending.bytes.end(), chunk->begin(), chunk->begin() + n);
      rc = SQL_SUCCESS;
    } else {
      chunk->push_back(0);
      rc = SQLPutData(st.h(), chunk->data(), n);
    }
  }
  int16_t code = s.record(rc, st);
  if (backend::succeeded(code) || code == SQL_NEED_DATA) writeRowCounter(st, out);
  return code;
}

int16_t describeParam(ExecSession& s, ItemReader& in, ItemWriter& out) {
  Statement& st = s.statement(in);
  int16_t number = in.getShort();
  OutArea type = in.getOut(tag::OutShort);
  OutArea precision = in.getOut(tag::OutLong);
  OutArea scale = in.getOut(tag::OutShort);
  OutArea nullable = in.getOut(tag::OutShort);
  SQLSMALLINT sqlType = 0, digits = 0, nulls = 0;
  SQLULEN size = 0;
  int16_t code = s.record(SQLDescribeParam(st.h(), SQLUSMALLINT(number), &sqlType, &size, &digits, &nulls), st);
  if (!backend::succeeded(code)) return code;
  if (type.present) out.putShort(sqlType);
  if (precision.present) out.putLong(int32_t(std::min<SQLULEN>(size, 0x7FFFFFFF)));
  if (scale.present) out.putShort(digits);
  if (nullable.present) out.putShort(nulls);
  return code;
}

}  // namespace

void registerParameterRequests(std::map<int, RequestFn>& t) {
  t[48] = paramData;
  t[49] = putData;
  t[58] = describeParam;
  t[72] = bindParameter;
}

}  // namespace qn::exec
