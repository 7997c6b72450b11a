#include "ConnString.h"

#include <cstring>

namespace qn::odbc {

bool findKeyword(const std::string &input, const std::string &keyword, std::string &value) {
    const std::string pattern = keyword + "=";
    for (std::size_t pos = input.find(pattern); pos != std::string::npos; pos = input.find(pattern, pos + 1)) {
        if (pos > 0 && input[pos - 1] != ';' && input[pos - 1] != ' ')
            continue;
        const std::size_t start = pos + pattern.size();
        if (start >= input.size())
            return false;
        std::size_t end = input.find(';', start);
        if (end == std::string::npos)
            end = input.size();
        value = input.substr(start, std::min<std::size_t>(end - start, 255));
        return true;
    }
    return false;
}

std::string forwardFilter(const std::string &input, const std::string &serverDsn, bool dropCredentials) {
    static const char *const alwaysSkipped[] = {"DSN=", "QNETIP=", "QNETTO=", "DRIVER=",
                                                "QNETPORT=", "QNETENCR=", "QNETSRV="};
    std::string out;
    if (!serverDsn.empty())
        out = "DSN=" + serverDsn + ";";
    const std::size_t n = input.size();
    auto startsHere = [&](std::size_t i, const char *p) {
        const std::size_t len = std::strlen(p);
        return input.compare(i, len, p) == 0 && n - i - len >= 2;
    };
    auto skipPair = [&](std::size_t i) {
        const std::size_t semi = input.find(';', i);
        return semi == std::string::npos ? n : semi + 1;
    };
    std::size_t i = 0;
    while (i < n) {
        bool skip = false;
        for (const char *p : alwaysSkipped)
            skip = skip || startsHere(i, p);
        if (dropCredentials && (startsHere(i, "UID=") || startsHere(i, "PWD=")))
            skip = true;
        if (startsHere(i, "QNETDSN=")) {
            if (!serverDsn.empty()) {
                skip = true;
            } else {
                out += "DSN=";
                i += 8;
                continue;
            }
        }
        if (skip) {
            i = skipPair(i);
            continue;
        }
        if (startsHere(i, "QNETDRV=")) {
            out += "DRIVER=";
            i += 8;
            continue;
        }
        out += input[i++];
    }
    return out;
}

std::string buildOutputString(const std::vector<OutputPair> &pairs, long capacity, bool haveBuffer,
                              long &fullLength, bool &truncated) {
    std::string out;
    fullLength = 0;
    for (const OutputPair &p : pairs) {
        if (p.value.empty())
            continue;
        const std::string pair = std::string(p.keyword) + p.value + ";";
        fullLength += static_cast<long>(pair.size());
        if (fullLength < capacity)
            out += pair;
    }
    truncated = haveBuffer && fullLength >= capacity;
    return out;
}

} // namespace qn::odbc
