#include "requests/Options.h"

#include <sqlext.h>

namespace qn::exec {

OptionKind statementOptionKind(int16_t option, bool forSet) {
  if (option >= SQL_QUERY_TIMEOUT && option <= SQL_USE_BOOKMARKS) return OptionKind::Number;
  // Row number and bookmark can be read, never set.
  if (!forSet && (option == SQL_GET_BOOKMARK || option == SQL_ROW_NUMBER)) return OptionKind::Number;
  return OptionKind::Refused;
}

OptionKind connectionOptionKind(int16_t option, bool forSet) {
  // Statement options set on a connection become defaults for its statements.
  if (option >= SQL_QUERY_TIMEOUT && option <= SQL_USE_BOOKMARKS) return OptionKind::Number;
  switch (option) {
    case SQL_ACCESS_MODE:
    case SQL_AUTOCOMMIT:
    case SQL_LOGIN_TIMEOUT:
    case SQL_TRANSLATE_OPTION:
    case SQL_TXN_ISOLATION:
    case SQL_ODBC_CURSORS:
    case SQL_PACKET_SIZE:
      return OptionKind::Number;
    case SQL_CURRENT_QUALIFIER:
      return OptionKind::String;
    case SQL_OPT_TRACE:
      return forSet ? OptionKind::Refused : OptionKind::Number;
    case SQL_OPT_TRACEFILE:
    case SQL_TRANSLATE_DLL:
      return forSet ? OptionKind::Refused : OptionKind::String;
    default:
      return OptionKind::Refused;
  }
}

}  // namespace qn::exec
