// The built driver library as the driver manager sees it: what it exports,
// what it does not, what it links, and the message functions through dlsym.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "driver/wire/MessageBuffer.h"

namespace {

struct Library {
    void* handle = ::dlopen(QN_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ~Library() {
        if (handle != nullptr) ::dlclose(handle);
    }
    template <typename F>
    F get(const char* name) const {
        return reinterpret_cast<F>(::dlsym(handle, name));
    }
};

std::string run(const std::string& command) {
    std::string out;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) return out;
    std::array<char, 4096> chunk{};
    size_t n;
    while ((n = std::fread(chunk.data(), 1, chunk.size(), pipe.get())) > 0) out.append(chunk.data(), n);
    return out;
}

TEST(DriverLibrary, LoadsWithEverySymbolResolved) {
    Library lib;
    ASSERT_NE(lib.handle, nullptr) << ::dlerror();
}

TEST(DriverLibrary, ExportsTheMessageFunctionsByName) {
    Library lib;
    ASSERT_NE(lib.handle, nullptr) << ::dlerror();
    for (const char* name : {"msgInitialize", "msgDestroy", "msgClean", "msgSend", "msgReceive", "msgPutDataItem",
                             "msgGetDataItem", "msgSetType", "msgGetType", "msgSetSize", "msgGetSize",
                             "msgSetExtraData", "msgGetExtraData", "onFindErrorASCII"}) {
        EXPECT_NE(::dlsym(lib.handle, name), nullptr) << name;
    }
}

TEST(DriverLibrary, ExportsNothingOfTheOdbc3Api) {
    Library lib;
    ASSERT_NE(lib.handle, nullptr) << ::dlerror();
    for (const char* name : {"SQLAllocHandle", "SQLFreeHandle", "SQLGetDiagRec", "SQLSetEnvAttr", "SQLFetchScroll",
                             "SQLEndTran", "SQLGetConnectAttr", "SQLColAttribute", "SQLAllocHandleStd"}) {
        EXPECT_EQ(::dlsym(lib.handle, name), nullptr) << name;
    }
}

TEST(DriverLibrary, LinksNeitherQtNorTheDriverManager) {
    const std::string needed = run(std::string("readelf -d --wide '") + QN_LIBRARY + "' 2>&1");
    ASSERT_NE(needed.find("(NEEDED)"), std::string::npos) << needed;
    EXPECT_EQ(needed.find("libQt"), std::string::npos) << needed;
    EXPECT_EQ(needed.find("[libodbc.so"), std::string::npos) << needed;
    EXPECT_NE(needed.find("SYMBOLIC"), std::string::npos) << "linked without -Bsymbolic:\n" << needed;
}

TEST(DriverLibrary, ExportedFunctionsCarryAMessage) {
    Library lib;
    ASSERT_NE(lib.handle, nullptr) << ::dlerror();
    auto init = lib.get<int (*)(qn::MessageBuffer*)>("msgInitialize");
    auto destroy = lib.get<void (*)(qn::MessageBuffer*)>("msgDestroy");
    auto setType = lib.get<int (*)(qn::MessageBuffer*, int32_t)>("msgSetType");
    auto setSize = lib.get<int (*)(qn::MessageBuffer*, uint32_t)>("msgSetSize");
    auto put = lib.get<uint32_t (*)(qn::MessageBuffer*, uint32_t, const void*, uint32_t)>("msgPutDataItem");
    auto get = lib.get<uint32_t (*)(qn::MessageBuffer*, uint32_t, void*, uint32_t)>("msgGetDataItem");
    auto send = lib.get<uint32_t (*)(int, qn::MessageBuffer*)>("msgSend");
    auto receive = lib.get<uint32_t (*)(int, qn::MessageBuffer*, const timeval*)>("msgReceive");
    auto getType = lib.get<int32_t (*)(qn::MessageBuffer*)>("msgGetType");
    auto name = lib.get<char* (*)(uint32_t, char*)>("onFindErrorASCII");
    ASSERT_TRUE(init && destroy && setType && setSize && put && get && send && receive && getType && name);

    int fds[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    qn::MessageBuffer out, in;
    ASSERT_EQ(init(&out), 1);
    ASSERT_EQ(init(&in), 1);
    ASSERT_EQ(setType(&out, 42), 1);
    ASSERT_EQ(setSize(&out, 3), 1);
    ASSERT_EQ(put(&out, 0, "xyz", 3), 3u);
    EXPECT_EQ(send(fds[0], &out), 100u);
    timeval tv{2, 0};
    EXPECT_EQ(receive(fds[1], &in, &tv), 100u);
    EXPECT_EQ(getType(&in), 42);
    char body[3] = {};
    EXPECT_EQ(get(&in, 0, body, 3), 3u);
    EXPECT_EQ(std::string(body, 3), "xyz");
    char text[64];
    EXPECT_STREQ(name(10061, text), "WSAECONNREFUSED");
    destroy(&out);
    destroy(&in);
    ::close(fds[0]);
    ::close(fds[1]);
}

}  // namespace
