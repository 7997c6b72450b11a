#include "InstallerPaths.h"

#include <cstdlib>

// Exported by libodbcinst (declared only in its extension header).
extern "C" char* odbcinst_user_file_path(char* buffer);
extern "C" char* odbcinst_system_file_path(char* buffer);

namespace qn::session {
namespace {

std::string fromEnv(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string withoutTrailingSlash(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

}  // namespace

std::string systemConfigFolder() {
    std::string folder = fromEnv("ODBCSYSINI");
    if (folder.empty()) {
        char buffer[4096] = {};
        folder = odbcinst_system_file_path(buffer);
    }
    return folder.empty() ? std::string("/etc") : withoutTrailingSlash(folder);
}

std::string userDataSourceFile() {
    const std::string file = fromEnv("ODBCINI");
    if (!file.empty()) return file;
    char buffer[4096] = {};
    return withoutTrailingSlash(odbcinst_user_file_path(buffer)) + "/.odbc.ini";
}

std::string systemDataSourceFile() { return systemConfigFolder() + "/odbc.ini"; }

}  // namespace qn::session
