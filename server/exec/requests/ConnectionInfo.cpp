#include "requests/ConnectionInfo.h"

#include <cstring>

namespace qn::exec {

namespace {

// Calls the client carries to the server, by function number.
bool forwarded(int n) {
  return (n >= 4 && n <= 8) || (n >= 11 && n <= 13) || (n >= 17 && n <= 21) || n == 23 ||
         (n >= 40 && n <= 56) || (n >= 58 && n <= 70) || n == 72;
}

// Calls the client answers on its own.
bool local(int n) { return n == 1 || n == 2 || n == 3 || n == 9 || n == 10 || (n >= 14 && n <= 16); }

struct NumberInfo {
  SQLUSMALLINT type;
  int offset;
  int width;
  uint32_t bit;
};

const NumberInfo kNumbers[] = {
    {SQL_CURSOR_COMMIT_BEHAVIOR, 8, 2, 0x4},      {SQL_CURSOR_ROLLBACK_BEHAVIOR, 10, 2, 0x8},
    {SQL_GETDATA_EXTENSIONS, 12, 4, 0x10},        {SQL_GROUP_BY, 16, 2, 0x20},
    {SQL_IDENTIFIER_CASE, 18, 2, 0x40},           {SQL_MAX_COLUMN_NAME_LEN, 24, 2, 0x100},
    {SQL_MAX_CURSOR_NAME_LEN, 26, 2, 0x200},      {SQL_MAX_OWNER_NAME_LEN, 28, 2, 0x400},
    {SQL_MAX_PROCEDURE_NAME_LEN, 30, 2, 0x800},   {SQL_MAX_QUALIFIER_NAME_LEN, 32, 2, 0x1000},
    {SQL_MAX_TABLE_NAME_LEN, 34, 2, 0x2000},      {SQL_NUMERIC_FUNCTIONS, 36, 4, 0x4000},
    {SQL_ODBC_API_CONFORMANCE, 40, 2, 0x8000},    {SQL_ODBC_SQL_CONFORMANCE, 42, 2, 0x10000},
    {SQL_POS_OPERATIONS, 44, 4, 0x20000},         {SQL_POSITIONED_STATEMENTS, 48, 4, 0x40000},
    {SQL_SCROLL_CONCURRENCY, 52, 4, 0x80000},     {SQL_SCROLL_OPTIONS, 56, 4, 0x100000},
    {SQL_STRING_FUNCTIONS, 60, 4, 0x200000},      {SQL_TIMEDATE_FUNCTIONS, 64, 4, 0x400000},
    {SQL_TXN_CAPABLE, 68, 2, 0x800000},           {SQL_OUTER_JOINS, 70, 2, 0x1000000},
    {SQL_ACTIVE_CONNECTIONS, 72, 2, 0x1},         {SQL_ACTIVE_STATEMENTS, 74, 2, 0x2},
};

struct FlagInfo {
  SQLUSMALLINT type;
  uint32_t validBit;
  uint32_t valueBit;
};

const FlagInfo kFlags[] = {
    {SQL_COLUMN_ALIAS, 0x2, 0x1},
    {SQL_DATA_SOURCE_READ_ONLY, 0x8, 0x4},
    {SQL_EXPRESSIONS_IN_ORDERBY, 0x20, 0x10},
    {SQL_MULT_RESULT_SETS, 0x80, 0x40},
};

}  // namespace

bool infoTypeRefused(int16_t infoType) {
  return infoType == SQL_DRIVER_HDBC || infoType == SQL_DRIVER_HENV ||
         infoType == SQL_DRIVER_HSTMT || infoType == SQL_DRIVER_HLIB ||
         infoType == SQL_DRIVER_HDESC;
}

std::array<uint8_t, 100> functionBitmap(ExecSession& session) {
  std::array<uint8_t, 100> bitmap{};
  SQLUSMALLINT supported[100] = {};
  if (!backend::succeeded(SQLGetFunctions(session.backend().dbc(), SQL_API_ALL_FUNCTIONS, supported)))
    return bitmap;
  for (int n = 1; n < 100; ++n) bitmap[size_t(n)] = local(n) || (forwarded(n) && supported[n]);
  return bitmap;
}

std::array<uint8_t, 76> infoBlock(ExecSession& session) {
  std::array<uint8_t, 76> block{};
  uint32_t mask = 0, flags = 0;
  SQLHDBC dbc = session.backend().dbc();
  for (const auto& n : kNumbers) {
    SQLUINTEGER value = 0;
    SQLUSMALLINT small = 0;
    SQLPOINTER target = n.width == 4 ? static_cast<SQLPOINTER>(&value) : &small;
    if (!backend::succeeded(SQLGetInfo(dbc, n.type, target, SQLSMALLINT(n.width), nullptr))) continue;
    if (n.width == 4) {
      writeU32(block.data() + n.offset, value);
    } else {
      if (n.type == SQL_ACTIVE_STATEMENTS && session.limits().maxStatements &&
          (small == 0 || small > session.limits().maxStatements))
        small = SQLUSMALLINT(session.limits().maxStatements);
      writeU16(block.data() + n.offset, small);
    }
    mask |= n.bit;
  }
  char text[8] = {};
  SQLSMALLINT length = 0;
  if (backend::succeeded(SQLGetInfo(dbc, SQL_IDENTIFIER_QUOTE_CHAR, text, sizeof text, &length)) &&
      length < 4) {
    std::memcpy(block.data() + 20, text, size_t(length));
    mask |= 0x80;
  }
  for (const auto& f : kFlags) {
    char yn[4] = {};
    if (!backend::succeeded(SQLGetInfo(dbc, f.type, yn, sizeof yn, nullptr))) continue;
    flags |= f.validBit;
    if (yn[0] == 'Y') flags |= f.valueBit;
  }
  writeU32(block.data(), mask);
  writeU32(block.data() + 4, flags);
  return block;
}

void writeConnectBlocks(ExecSession& session, ItemWriter& out) {
  uint32_t granted = session.limits().grantedOptions;
  if (granted & kOptionFunctionBitmap) {
    auto bitmap = functionBitmap(session);
    out.putBinary(bitmap.data(), bitmap.size());
  }
  if (granted & kOptionInfoBlock) {
    auto block = infoBlock(session);
    out.putBinary(block.data(), block.size());
  }
}

}  // namespace qn::exec
