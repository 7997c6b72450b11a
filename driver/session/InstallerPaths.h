#pragma once
// Absolute paths of the unixODBC configuration files, as libodbcinst resolves them.

#include <string>

namespace qn::session {

// The system configuration folder: $ODBCSYSINI, else the folder unixODBC was built with.
std::string systemConfigFolder();
// The user's data sources: $ODBCINI, else ~/.odbc.ini.
std::string userDataSourceFile();
// The system data sources: odbc.ini in the system configuration folder.
std::string systemDataSourceFile();

}  // namespace qn::session
