// Requests on parameters: binding, description and data at execution time.
#include <algorithm>

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

// The client names the binding whose data the back end asks for by kind and number.
uint32_t tokenFor(Statement& st, SQLPOINTER value) {
  for (auto& [number, b] : st.params)
    if (b.dataPointer() == value) return kParameterToken | number;
  for (auto& [number, b] : st.columns)
    if (b.dataPointer() == value) return kColumnToken | number;
  return 0;
}

int16_t paramData(ExecSession& s, ItemReader& in, ItemWriter& out) {
  Statement& st = s.statement(in);
  OutArea tokenArea = in.getOut(tag::OutLong);
  SQLPOINTER value = nullptr;
  int16_t code = s.record(SQLParamData(st.h(), &value), st);
  if (code == SQL_NEED_DATA) {
    if (tokenArea.present) out.putLong(int32_t(tokenFor(st, value)));
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
    rc = SQLPutData(st.h(), nullptr, length);
  } else {
    // The chunk's own size bounds what the back end may read.
    SQLLEN n = length >= 0 && size_t(length) <= chunk->size() ? length : SQLLEN(chunk->size());
    chunk->push_back(0);
    rc = SQLPutData(st.h(), chunk->data(), n);
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
