// The catalog calls: each runs on the server and answers with the describe block
// of its result set.
#include <array>
#include <optional>
#include <string>

#include "ExecSession.h"

namespace qn::exec {

namespace {

// Arguments in request order: 'T' a string with its 16-bit length, 'S' a 16-bit value.
struct Args {
  std::array<std::optional<std::string>, 6> text;
  std::array<int16_t, 3> number{};
  size_t texts = 0, numbers = 0;

  SQLCHAR* t(size_t i) {
    return text[i] ? reinterpret_cast<SQLCHAR*>(text[i]->data()) : nullptr;
  }
  SQLSMALLINT len(size_t i) const { return text[i] ? SQLSMALLINT(text[i]->size()) : 0; }
};

Args readArgs(ItemReader& in, const char* pattern) {
  Args a;
  for (const char* p = pattern; *p; ++p) {
    if (*p == 'T') {
      a.text[a.texts++] = in.getString();
      in.getShort();
    } else {
      a.number[a.numbers++] = in.getShort();
    }
  }
  for (auto& t : a.text)
    if (t && t->size() > 32767) throw MalformedRequest("catalog argument too long");
  return a;
}

template <SQLRETURN (*Call)(SQLHSTMT, Args&)>
int16_t catalog(ExecSession& s, ItemReader& in, ItemWriter& out, const char* pattern) {
  Statement& st = s.statement(in);
  Args a = readArgs(in, pattern);
  int16_t code = s.record(Call(st.h(), a), st);
  if (backend::succeeded(code)) writeDescribeBlock(s, st, out);
  return code;
}

#define QN_CATALOG(name, pattern, call)                                          \
  SQLRETURN name##Call(SQLHSTMT h, Args& a) { return call; }                     \
  int16_t name(ExecSession& s, ItemReader& in, ItemWriter& out) {                \
    return catalog<name##Call>(s, in, out, pattern);                             \
  }

QN_CATALOG(columns, "TTTT", SQLColumns(h, a.t(0), a.len(0), a.t(1), a.len(1), a.t(2), a.len(2), a.t(3), a.len(3)))
QN_CATALOG(typeInfo, "S", SQLGetTypeInfo(h, a.number[0]))
QN_CATALOG(specialColumns, "STTTSS",
           SQLSpecialColumns(h, SQLUSMALLINT(a.number[0]), a.t(0), a.len(0), a.t(1), a.len(1), a.t(2),
                             a.len(2), SQLUSMALLINT(a.number[1]), SQLUSMALLINT(a.number[2])))
QN_CATALOG(statistics, "TTTSS",
           SQLStatistics(h, a.t(0), a.len(0), a.t(1), a.len(1), a.t(2), a.len(2), SQLUSMALLINT(a.number[0]),
                         SQLUSMALLINT(a.number[1])))
QN_CATALOG(tables, "TTTT", SQLTables(h, a.t(0), a.len(0), a.t(1), a.len(1), a.t(2), a.len(2), a.t(3), a.len(3)))
QN_CATALOG(columnPrivileges, "TTTT",
           SQLColumnPrivileges(h, a.t(0), a.len(0), a.t(1), a.len(1), a.t(2), a.len(2), a.t(3), a.len(3)))
QN_CATALOG(foreignKeys, "TTTTTT",
           SQLForeignKeys(h, a.t(0), a.len(0), a.t(1), a.len(1), a.t(2), a.len(2), a.t(3), a.len(3), a.t(4),
                          a.len(4), a.t(5), a.len(5)))
QN_CATALOG(primaryKeys, "TTT", SQLPrimaryKeys(h, a.t(0), a.len(0), a.t(1), a.len(1), a.t(2), a.len(2)))
QN_CATALOG(procedureColumns, "TTTT",
           SQLProcedureColumns(h, a.t(0), a.len(0), a.t(1), a.len(1), a.t(2), a.len(2), a.t(3), a.len(3)))
QN_CATALOG(procedures, "TTT", SQLProcedures(h, a.t(0), a.len(0), a.t(1), a.len(1), a.t(2), a.len(2)))
QN_CATALOG(tablePrivileges, "TTT", SQLTablePrivileges(h, a.t(0), a.len(0), a.t(1), a.len(1), a.t(2), a.len(2)))

#undef QN_CATALOG

}  // namespace

void registerCatalogRequests(std::map<int, RequestFn>& t) {
  t[40] = columns;
  t[47] = typeInfo;
  t[52] = specialColumns;
  t[53] = statistics;
  t[54] = tables;
  t[56] = columnPrivileges;
  t[60] = foreignKeys;
  t[65] = primaryKeys;
  t[66] = procedureColumns;
  t[67] = procedures;
  t[70] = tablePrivileges;
}

}  // namespace qn::exec
