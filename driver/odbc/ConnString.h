// Connection-string keywords, the filter that forwards a string to the server,
// and the output string of a driver connect.
#pragma once

#include <string>
#include <vector>

namespace qn::odbc {

// Finds `keyword` (case-sensitive, at the start or after ';' or a blank, followed
// by '=' and at least one more character). The value runs to the next ';' and is
// cut at 255 characters.
bool findKeyword(const std::string &input, const std::string &keyword, std::string &value);

// The string the server receives: driver-only pairs removed, QNETDSN/QNETDRV renamed,
// and the server data source name in front when there is one.
std::string forwardFilter(const std::string &input, const std::string &serverDsn, bool dropCredentials);

struct OutputPair {
    const char *keyword; // with its '='
    std::string value;
};

// Joins the non-empty pairs as "KEY=value;", keeping only pairs while the total stays
// below `capacity`. `fullLength` gets the length of all pairs; `truncated` is set when
// a buffer was given and the full string did not fit.
std::string buildOutputString(const std::vector<OutputPair> &pairs, long capacity, bool haveBuffer,
                              long &fullLength, bool &truncated);

} // namespace qn::odbc
