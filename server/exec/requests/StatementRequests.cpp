// Requests on statements: allocation and freeing, prepare and execute, statement
// options, cursor names and counts.
#include <algorithm>

#include "ExecSession.h"
#include "requests/Options.h"

namespace qn::exec {

namespace {

std::string text(ItemReader& in) { return in.getString().value_or(""); }

SQLCHAR* sqlText(std::string& s) { return reinterpret_cast<SQLCHAR*>(s.data()); }

int16_t allocStmt(ExecSession& s, ItemReader& in, ItemWriter& out) {
  ErrorQueue& errors = s.connectionErrors();
  errors.clear();
  in.getOut(tag::OutHstmt);
  if (!s.backend().connected()) return ExecSession::fail(errors, "08003", "Connection not open.");
  size_t limit = s.limits().maxStatements ? std::min<size_t>(s.limits().maxStatements, kHardStatementLimit)
                                          : kHardStatementLimit;
  if (s.statementCount() >= limit)
    return ExecSession::fail(errors, "S1014",
                             "Maximum number of statements per connection reached on the server.");
  Statement& st = s.newStatement();
  SQLRETURN rc = st.handle.allocate(SQL_HANDLE_STMT, s.backend().dbc());
  if (!backend::succeeded(rc)) {
    s.recordConnection(rc == SQL_INVALID_HANDLE ? SQL_ERROR : rc);
    s.dropStatement(st.id);
    return SQL_ERROR;
  }
  if (st.rowsetSize > 1)
    SQLSetStmtOption(st.h(), kRowsetSizeOption, SQLULEN(st.rowsetSize));
  out.putHandle(tag::Hstmt, st.id);
  return int16_t(rc);
}

int16_t freeStmt(ExecSession& s, ItemReader& in, ItemWriter& out) {
  Statement& st = s.statement(in);
  int16_t option = in.getShort();
  st.pending = {};
  switch (option) {
    case SQL_CLOSE: {
      st.bulkLayout.clear();
      int16_t code = s.record(SQLFreeStmt(st.h(), SQL_CLOSE), st);
      if (backend::succeeded(code)) writeOutputParameters(st, out);
      return code;
    }
    case SQL_DROP:
      SQLFreeStmt(st.h(), SQL_CLOSE);
      writeOutputParameters(st, out);
      s.dropStatement(st.id);
      return SQL_SUCCESS;
    case SQL_UNBIND: {
      int16_t code = s.record(SQLFreeStmt(st.h(), SQL_UNBIND), st);
      if (backend::succeeded(code)) {
        st.columns.clear();
        st.learned.clear();
        st.localBindings = false;
      }
      return code;
    }
    case SQL_RESET_PARAMS: {
      writeOutputParameters(st, out);
      int16_t code = s.record(SQLFreeStmt(st.h(), SQL_RESET_PARAMS), st);
      if (backend::succeeded(code)) st.params.clear();
      return code;
    }
    default:
      return ExecSession::fail(st.errors, "S1092", "Option type out of range.");
  }
}

int16_t cancel(ExecSession& s, ItemReader& in, ItemWriter&) {
  Statement& st = s.statement(in);
  st.pending = {};
  return s.record(SQLCancel(st.h()), st);
}

int16_t prepare(ExecSession& s, ItemReader& in, ItemWriter&) {
  Statement& st = s.statement(in);
  std::string sql = text(in);
  in.getLong();
  return s.record(SQLPrepare(st.h(), sqlText(sql), SQLINTEGER(sql.size())), st);
}

// Both execute forms: the text (for direct execution) is read before the parameters.
int16_t execute(ExecSession& s, ItemReader& in, ItemWriter& out, bool direct) {
  Statement& st = s.statement(in);
  std::string sql;
  if (direct) {
    sql = text(in);
    in.getLong();
  }
  SQLRETURN rc = prepareParameters(s, st);
  if (!backend::succeeded(rc)) return s.record(rc, st);
  readBoundItems(st.params, st.paramsetSize, in);
  st.processed = 0;
  st.pending = {};
  rc = direct ? SQLExecDirect(st.h(), sqlText(sql), SQLINTEGER(sql.size())) : SQLExecute(st.h());
  int16_t code = s.record(rc, st);
  writeExecuteReply(s, st, code, out);
  return code;
}

int16_t execDirect(ExecSession& s, ItemReader& in, ItemWriter& out) { return execute(s, in, out, true); }
int16_t executePrepared(ExecSession& s, ItemReader& in, ItemWriter& out) {
  return execute(s, in, out, false);
}

int16_t setStmtOption(ExecSession& s, ItemReader& in, ItemWriter&) {
  Statement& st = s.statement(in);
  int16_t option = in.getShort();
  auto value = in.getOptionValue();
  if (option == kDeferredBindOption) return SQL_SUCCESS;  // the client keeps it
  if (option == kBulkReadOption && !value.isString && value.number >= 0) {
    st.bulkRowset = uint32_t(value.number);
    return SQL_SUCCESS;
  }
  if (statementOptionKind(option, true) != OptionKind::Number || value.isString ||
      (option == kBindTypeOption && value.number != 0))
    return ExecSession::fail(st.errors, "S1C00", "Option not supported by the server.");
  if (option == kRowsetSizeOption && (value.number < 1 || size_t(value.number) > kMaxRowsetSize))
    return ExecSession::fail(st.errors, "S1009", "Invalid rowset size.");
  int16_t code = s.record(SQLSetStmtOption(st.h(), SQLUSMALLINT(option), SQLULEN(uint32_t(value.number))), st);
  if (backend::succeeded(code) && option == kRowsetSizeOption) {
    st.rowsetSize = size_t(value.number);
    if (st.rowsetSize > 1) st.cacheState = kCacheOff;
  }
  return code;
}

int16_t getStmtOption(ExecSession& s, ItemReader& in, ItemWriter& out) {
  Statement& st = s.statement(in);
  int16_t option = in.getShort();
  OutArea area = in.getOut(tag::OutBinary);
  SQLULEN value = 0;
  int16_t code = SQL_SUCCESS;
  if (option == kBulkReadOption) {
    value = st.bulkRowset;
  } else if (statementOptionKind(option, false) != OptionKind::Number) {
    return ExecSession::fail(st.errors, "S1C00", "Option not supported by the server.");
  } else {
    code = s.record(SQLGetStmtOption(st.h(), SQLUSMALLINT(option), &value), st);
  }
  if (backend::succeeded(code) && area.present) {
    uint8_t bytes[4];
    writeU32(bytes, uint32_t(value));
    out.putBinary(bytes, std::min<size_t>(4, area.capacity));
  }
  return code;
}

int16_t paramOptions(ExecSession& s, ItemReader& in, ItemWriter&) {
  Statement& st = s.statement(in);
  int32_t size = in.getLong();
  OutArea counter = in.getOut(tag::OutLong);
  if (size < 1 || size_t(size) > kMaxRowsetSize)
    return ExecSession::fail(st.errors, "S1107", "Row value out of range.");
  SQLRETURN rc = SQLSetStmtAttr(st.h(), SQL_ATTR_PARAMSET_SIZE, reinterpret_cast<SQLPOINTER>(SQLULEN(size)), 0);
  if (backend::succeeded(rc))
    rc = SQLSetStmtAttr(st.h(), SQL_ATTR_PARAMS_PROCESSED_PTR, counter.present ? &st.processed : nullptr, 0);
  int16_t code = s.record(rc, st);
  if (backend::succeeded(code)) {
    st.paramsetSize = size_t(size);
    st.rowCounter = counter.present;
  }
  return code;
}

int16_t setScrollOptions(ExecSession& s, ItemReader& in, ItemWriter&) {
  Statement& st = s.statement(in);
  int16_t concurrency = in.getShort();
  int32_t keyset = in.getLong();
  int16_t rowset = in.getShort();
  if (rowset < 1) return ExecSession::fail(st.errors, "S1107", "Row value out of range.");
  int16_t code = s.record(SQLSetScrollOptions(st.h(), SQLUSMALLINT(concurrency), SQLLEN(keyset),
                                              SQLUSMALLINT(rowset)), st);
  if (backend::succeeded(code)) st.rowsetSize = size_t(rowset);
  return code;
}

int16_t setCursorName(ExecSession& s, ItemReader& in, ItemWriter&) {
  Statement& st = s.statement(in);
  std::string name = text(in);
  in.getShort();
  return s.record(SQLSetCursorName(st.h(), sqlText(name), SQLSMALLINT(std::min<size_t>(name.size(), 32767))), st);
}

int16_t getCursorName(ExecSession& s, ItemReader& in, ItemWriter& out) {
  Statement& st = s.statement(in);
  OutArea area = in.getOut(tag::OutString);
  int16_t capacity = in.getShort();
  OutArea length = in.getOut(tag::OutShort);
  SQLCHAR name[256] = {};
  SQLSMALLINT got = 0;
  int16_t code = s.record(SQLGetCursorName(st.h(), name, sizeof name, &got), st);
  if (!backend::succeeded(code)) return code;
  std::string value(reinterpret_cast<char*>(name));
  int64_t room = std::min<int64_t>(capacity, area.capacity);
  if (area.present && capacity > 0) out.putStringFitting(value, room);
  if (length.present) out.putShort(got);
  if (area.present && int64_t(value.size()) >= room) return SQL_SUCCESS_WITH_INFO;
  return code;
}

// The three counts: the statement, an output area, and the count when it was asked for.
template <typename Count, SQLRETURN (*Call)(SQLHSTMT, Count*), uint32_t OutTag>
int16_t countRequest(ExecSession& s, ItemReader& in, ItemWriter& out) {
  Statement& st = s.statement(in);
  OutArea area = in.getOut(OutTag);
  Count count = 0;
  int16_t code = s.record(Call(st.h(), &count), st);
  if (!backend::succeeded(code) || !area.present) return code;
  if (OutTag == tag::OutShort) out.putShort(int16_t(count));
  else out.putLong(int32_t(count));
  return code;
}

}  // namespace

void registerStatementRequests(std::map<int, RequestFn>& t) {
  t[3] = allocStmt;
  t[5] = cancel;
  t[11] = execDirect;
  t[12] = executePrepared;
  t[16] = freeStmt;
  t[17] = getCursorName;
  t[18] = countRequest<SQLSMALLINT, SQLNumResultCols, tag::OutShort>;
  t[19] = prepare;
  t[20] = countRequest<SQLLEN, SQLRowCount, tag::OutLong>;
  t[63] = countRequest<SQLSMALLINT, SQLNumParams, tag::OutShort>;
  t[21] = setCursorName;
  t[46] = getStmtOption;
  t[51] = setStmtOption;
  t[64] = paramOptions;
  t[69] = setScrollOptions;
}

}  // namespace qn::exec
