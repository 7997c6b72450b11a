#pragma once
// Test support: a private unixODBC configuration folder (ODBCSYSINI, with the system
// odbc.ini) and user file (ODBCINI, user.ini there) for the whole test program. unixODBC remembers these paths after their
// first use, so they are set once, before any profile call, and files are cleared
// between tests instead.

#include <odbcinst.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace qn::test {

inline const std::string& privateOdbcDir() {
    static const std::string dir = [] {
        std::string templ = (std::filesystem::temp_directory_path() / "qn-odbc-XXXXXX").string();
        if (!mkdtemp(templ.data())) std::abort();
        setenv("ODBCSYSINI", templ.c_str(), 1);
        setenv("ODBCINI", (templ + "/user.ini").c_str(), 1);
        std::atexit([] { std::filesystem::remove_all(std::getenv("ODBCSYSINI")); });
        return templ;
    }();
    return dir;
}

// Empties the folder's files (the folder itself stays). The installer library keeps what
// it read for about 20 seconds and forgets it only when it writes a file itself, so a
// throw-away write follows the removal.
inline void clearPrivateOdbc() {
    for (const auto& entry : std::filesystem::directory_iterator(privateOdbcDir())) {
        std::filesystem::remove_all(entry.path());
    }
    const std::string scratch = privateOdbcDir() + "/forget.ini";
    SQLWritePrivateProfileString("forget", "now", "1", scratch.c_str());
    std::filesystem::remove(scratch);
}

inline void writeFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::trunc) << text;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace qn::test
