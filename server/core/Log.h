#pragma once
#include <string>

namespace qn::server {
// One line to stderr, whole lines even when connections log at the same time.
void logLine(const std::string& line);
}
