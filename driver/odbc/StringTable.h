// The driver's numbered message table and the texts of channel and socket codes.
#pragma once

#include <string>

namespace qn::odbc {

// Text of string-table entry `id`; empty when the table has no such entry.
std::string stringEntry(int id);

// "[Harrow Bay][Quill Net]" — every message the driver produces starts with it.
const std::string &messagePrefix();

// Text shown after "Communication error: " for a channel status code
// (message layer, channel or Windows Sockets code); empty when unknown.
std::string communicationText(unsigned code);

// Codes that mean the session is gone and the next connect must open a new one.
bool isConnectionLossCode(unsigned code);

} // namespace qn::odbc
