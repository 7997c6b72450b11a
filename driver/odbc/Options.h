// Connection and statement options: their value types and the driver's own ones.
#pragma once

#include "Records.h"

namespace qn::odbc {

enum class OptionType { Unknown, Number, String };

// Built-in types, else the "QNET Option Types" section of QUILLNET.INI.
OptionType optionType(SQLUSMALLINT option);

SQLRETURN setConnectOption(Connection &conn, SQLUSMALLINT option, SQLULEN value);
SQLRETURN getConnectOption(Connection &conn, SQLUSMALLINT option, SQLPOINTER value);
// Sends the options set before connecting; their results do not matter.
void applyPendingOptions(Connection &conn);

SQLRETURN setStmtOption(Statement &stmt, SQLUSMALLINT option, SQLULEN value);
SQLRETURN getStmtOption(Statement &stmt, SQLUSMALLINT option, SQLPOINTER value);

} // namespace qn::odbc
