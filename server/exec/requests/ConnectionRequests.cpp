// Requests on the connection: connect and disconnect, errors, transactions,
// connection options and the information calls.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "ExecSession.h"
#include "requests/ConnectionInfo.h"
#include "requests/Options.h"

namespace qn::exec {

namespace {

ErrorQueue& begin(ExecSession& s) {
  s.connectionErrors().clear();
  return s.connectionErrors();
}

bool startsWithNoCase(const std::string& text, const char* prefix) {
  size_t n = std::strlen(prefix);
  if (text.size() < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::toupper(uint8_t(text[i])) != std::toupper(uint8_t(prefix[i]))) return false;
  return true;
}

}  // namespace

// Keeps the pairs of a forwarded connection string that the server applies: the data
// source and the credentials. Anything else could point a data source's driver at
// files or libraries of the server's choosing, so only the server's own configuration
// decides those.
std::string filterConnectionString(const std::string& input) {
  std::string out;
  bool dataSource = false;
  size_t i = 0;
  while (i < input.size()) {
    size_t end = i;
    bool braces = false;
    while (end < input.size() && (braces || input[end] != ';')) {
      if (input[end] == '{') braces = true;
      if (input[end] == '}') braces = false;
      ++end;
    }
    std::string pair = input.substr(i, end - i);
    i = end + 1;
    size_t eq = pair.find('=');
    if (eq == std::string::npos) continue;
    std::string key = pair.substr(0, eq);
    for (const char* allowed : {"DSN", "UID", "PWD"}) {
      if (key.size() != std::strlen(allowed) || !startsWithNoCase(key, allowed)) continue;
      out += pair + ";";
      dataSource = dataSource || allowed[0] == 'D';
    }
  }
  // Without a data source there is nothing the server may connect to.
  return dataSource ? out : std::string();
}

namespace {

// Why a connect cannot start, or nullptr when it can.
const char* connectRefusal(ExecSession& s, const char** state) {
  *state = "S1001";
  if (!s.backend().ready()) return "Unable to allocate a connection.";
  *state = "08002";
  if (s.backend().connected()) return "Connection in use.";
  return nullptr;
}

int16_t connect(ExecSession& s, ItemReader& in, ItemWriter& out) {
  ErrorQueue& errors = begin(s);
  std::string dsn = in.getScrambled().value_or("");
  in.getShort();
  std::string user = in.getScrambled().value_or("");
  in.getShort();
  std::string password = in.getScrambled().value_or("");
  in.getShort();
  const char* state;
  if (const char* why = connectRefusal(s, &state)) return ExecSession::fail(errors, state, why);
  if (dsn.empty()) return ExecSession::fail(errors, "IM002", "No server data source name given.");
  int16_t code = s.recordConnection(s.backend().connect(dsn, user, password));
  if (backend::succeeded(code)) writeConnectBlocks(s, out);
  return code;
}

// SQLDriverConnect and SQLBrowseConnect carry the same items: the forwarded string and
// the client's output area, which the server does not fill.
std::string forwardedString(ItemReader& in) {
  std::string input = in.getScrambled().value_or("");
  in.getShort();
  in.getOut(tag::OutString);
  in.getShort();
  in.getOut(tag::OutShort);
  return filterConnectionString(input);
}

int16_t driverConnect(ExecSession& s, ItemReader& in, ItemWriter& out) {
  ErrorQueue& errors = begin(s);
  std::string filtered = forwardedString(in);
  const char* state;
  if (const char* why = connectRefusal(s, &state)) return ExecSession::fail(errors, state, why);
  if (filtered.empty()) return ExecSession::fail(errors, "IM002", "No server data source name given.");
  int16_t code = s.recordConnection(s.backend().driverConnect(filtered));
  if (backend::succeeded(code)) writeConnectBlocks(s, out);
  return code;
}

int16_t browseConnect(ExecSession& s, ItemReader& in, ItemWriter& out) {
  ErrorQueue& errors = begin(s);
  std::string filtered = forwardedString(in);
  const char* state;
  if (const char* why = connectRefusal(s, &state)) return ExecSession::fail(errors, state, why);
  std::string output;
  int16_t code = s.recordConnection(s.backend().browseConnect(filtered, output));
  if (backend::succeeded(code) || code == SQL_NEED_DATA) {
    out.putScrambled(output);
    out.putShort(int16_t(std::min<size_t>(output.size(), 32767)));
  }
  if (backend::succeeded(code)) writeConnectBlocks(s, out);
  return code;
}

int16_t disconnect(ExecSession& s, ItemReader&, ItemWriter&) {
  begin(s);
  s.dropAllStatements();
  return s.recordConnection(s.backend().disconnect());
}

int16_t error(ExecSession& s, ItemReader& in, ItemWriter& out) {
  in.getHandle(tag::Henv);
  in.getHandle(tag::Hdbc);
  uint32_t statementId = in.getHandle(tag::Hstmt);
  OutArea state = in.getOut(tag::OutString);
  OutArea native = in.getOut(tag::OutLong);
  OutArea message = in.getOut(tag::OutString);
  int16_t capacity = in.getShort();
  OutArea length = in.getOut(tag::OutShort);
  ErrorQueue* queue = &s.connectionErrors();
  if (statementId) {
    Statement* st = s.findStatement(statementId);
    if (!st) return kNoData;
    queue = &st->errors;
  }
  if (queue->empty()) return kNoData;
  backend::DiagRecord d = queue->front();
  queue->pop_front();
  d.state.resize(5, '0');
  if (state.present) out.putStringFitting(d.state, std::min<int64_t>(state.capacity, 6));
  if (native.present) out.putLong(d.native);
  bool cut = false;
  if (message.present) {
    int64_t room = std::min<int64_t>(capacity, message.capacity);
    out.putStringFitting(d.message, room);
    cut = room <= 0 || size_t(room - 1) < d.message.size();
  }
  if (length.present) out.putShort(int16_t(std::min<size_t>(d.message.size(), 32767)));
  return cut ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

int16_t transact(ExecSession& s, ItemReader& in, ItemWriter&) {
  ErrorQueue& errors = begin(s);
  in.getHandle(tag::Henv);
  in.getHandle(tag::Hdbc);
  int16_t type = in.getShort();
  if (type != SQL_COMMIT && type != SQL_ROLLBACK)
    return ExecSession::fail(errors, "S1012", "Invalid transaction operation code.");
  return s.recordConnection(SQLEndTran(SQL_HANDLE_DBC, s.backend().dbc(), type));
}

int16_t setConnectOption(ExecSession& s, ItemReader& in, ItemWriter&) {
  ErrorQueue& errors = begin(s);
  int16_t option = in.getShort();
  auto value = in.getOptionValue();
  if (option == kBulkReadOption && !value.isString && value.number >= 0) {
    s.setDefaultBulkRowset(uint32_t(value.number));
    return SQL_SUCCESS;
  }
  OptionKind kind = connectionOptionKind(option, true);
  if (kind == OptionKind::Refused || (kind == OptionKind::String) != value.isString ||
      (option == kBindTypeOption && value.number != 0))
    return ExecSession::fail(errors, "S1C00", "Option not supported by the server.");
  if (option == kRowsetSizeOption && (value.number < 1 || size_t(value.number) > kMaxRowsetSize))
    return ExecSession::fail(errors, "S1009", "Invalid rowset size.");
  SQLULEN param = value.isString ? SQLULEN(reinterpret_cast<uintptr_t>(value.text.c_str()))
                                 : SQLULEN(uint32_t(value.number));
  int16_t code = s.recordConnection(SQLSetConnectOption(s.backend().dbc(), SQLUSMALLINT(option), param));
  if (backend::succeeded(code) && option == kRowsetSizeOption) s.setDefaultRowsetSize(size_t(value.number));
  return code;
}

int16_t getConnectOption(ExecSession& s, ItemReader& in, ItemWriter& out) {
  ErrorQueue& errors = begin(s);
  int16_t option = in.getShort();
  OutArea area = in.getOut(tag::OutBinary);
  OptionKind kind = connectionOptionKind(option, false);
  if (kind == OptionKind::Refused)
    return ExecSession::fail(errors, "S1C00", "Option not supported by the server.");
  uint8_t value[520] = {};
  int16_t code = s.recordConnection(SQLGetConnectOption(s.backend().dbc(), SQLUSMALLINT(option), value));
  if (!backend::succeeded(code) || !area.present) return code;
  size_t n = kind == OptionKind::Number ? 4 : strnlen(reinterpret_cast<char*>(value), 512) + 1;
  out.putBinary(value, std::min<size_t>(n, area.capacity));
  return code;
}

int16_t getFunctions(ExecSession& s, ItemReader& in, ItemWriter& out) {
  begin(s);
  int16_t function = in.getShort();
  OutArea area = in.getOut(tag::OutBinary);
  auto bitmap = functionBitmap(s);
  if (!area.present) return SQL_SUCCESS;
  if (function == SQL_API_ALL_FUNCTIONS) {
    uint8_t values[200] = {};
    for (size_t i = 0; i < 100; ++i) values[i * 2] = bitmap[i];
    out.putBinary(values, std::min<size_t>(200, area.capacity));
  } else {
    uint8_t one[2] = {uint8_t(function > 0 && function < 100 && bitmap[size_t(function)]), 0};
    out.putBinary(one, std::min<size_t>(2, area.capacity));
  }
  return SQL_SUCCESS;
}

int16_t getInfo(ExecSession& s, ItemReader& in, ItemWriter& out) {
  ErrorQueue& errors = begin(s);
  int16_t type = in.getShort();
  OutArea area = in.getOut(tag::OutBinary);
  int16_t capacity = in.getShort();
  OutArea length = in.getOut(tag::OutShort);
  if (infoTypeRefused(type))
    return ExecSession::fail(errors, "S1096", "Information type not available from the server.");
  size_t room = capacity > 0 ? size_t(capacity) : 0;
  std::vector<uint8_t> value(std::max<size_t>(room, 8) + 2, 0);
  SQLSMALLINT got = 0;
  int16_t code = s.recordConnection(
      SQLGetInfo(s.backend().dbc(), SQLUSMALLINT(type), value.data(), SQLSMALLINT(room), &got));
  if (!backend::succeeded(code)) return code;
  if (type == SQL_ACTIVE_STATEMENTS && s.limits().maxStatements) {
    uint16_t active = uint16_t(value[0] | value[1] << 8);
    if (active == 0 || active > s.limits().maxStatements)
      writeU16(value.data(), uint16_t(s.limits().maxStatements));
  }
  if (area.present && capacity > 0)
    out.putBinary(value.data(), std::min({size_t(std::max<SQLSMALLINT>(got, 0)), room, size_t(area.capacity)}));
  if (length.present) out.putShort(got);
  return code;
}

int16_t dataSources(ExecSession& s, ItemReader& in, ItemWriter& out) {
  begin(s);
  in.getString();
  in.getString();
  std::vector<uint8_t> names;
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  for (;;) {
    SQLCHAR name[SQL_MAX_DSN_LENGTH + 1] = {};
    SQLCHAR description[256] = {};
    SQLSMALLINT nameLength = 0, descriptionLength = 0;
    SQLRETURN rc = SQLDataSources(s.backend().env(), direction, name, sizeof name, &nameLength,
                                  description, sizeof description, &descriptionLength);
    if (!backend::succeeded(rc)) break;
    direction = SQL_FETCH_NEXT;
    uint8_t slot[36] = {};
    std::memcpy(slot, name, std::min<size_t>(35, strnlen(reinterpret_cast<char*>(name), sizeof name)));
    if (slot[0]) names.insert(names.end(), slot, slot + 36);
  }
  // Blocks of ten names; the list ends at the first empty name.
  names.resize((names.size() / 360 + 1) * 360, 0);
  for (size_t at = 0; at < names.size(); at += 360) out.putBinary(names.data() + at, 360);
  return SQL_SUCCESS;
}

int16_t nativeSql(ExecSession& s, ItemReader& in, ItemWriter& out) {
  begin(s);
  std::string text = in.getString().value_or("");
  in.getLong();
  OutArea area = in.getOut(tag::OutString);
  int32_t capacity = in.getLong();
  OutArea length = in.getOut(tag::OutLong);
  size_t room = std::max<size_t>(text.size() * 2 + 64, 256);
  std::vector<char> result(room + 1, 0);
  SQLINTEGER got = 0;
  int16_t code = s.recordConnection(SQLNativeSql(
      s.backend().dbc(), reinterpret_cast<SQLCHAR*>(text.data()), SQLINTEGER(text.size()),
      reinterpret_cast<SQLCHAR*>(result.data()), SQLINTEGER(room), &got));
  if (!backend::succeeded(code)) return code;
  std::string native(result.data(), strnlen(result.data(), room));
  if (area.present) out.putStringFitting(native, std::min<int64_t>(capacity, area.capacity));
  if (length.present) out.putLong(int32_t(native.size()));
  if (area.present && int64_t(native.size()) >= std::min<int64_t>(capacity, area.capacity))
    return SQL_SUCCESS_WITH_INFO;
  return code;
}

}  // namespace

void registerConnectionRequests(std::map<int, RequestFn>& t) {
  t[7] = connect;
  t[9] = disconnect;
  t[10] = error;
  t[23] = transact;
  t[41] = driverConnect;
  t[42] = getConnectOption;
  t[44] = getFunctions;
  t[45] = getInfo;
  t[50] = setConnectOption;
  t[55] = browseConnect;
  t[57] = dataSources;
  t[62] = nativeSql;
}

}  // namespace qn::exec
