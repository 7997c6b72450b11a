// Names of status codes, errno mapping and the connection-loss rule.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "driver/wire/Status.h"

using namespace qn;

namespace {

TEST(Status, NamesOfCodes) {
    const struct {
        uint32_t code;
        const char* name;
    } cases[] = {
        {100, "MESSAGE_OK"},
        {101, "MESSAGE_INVALID_FORMAT"},
        {102, "MESSAGE_MEMORY_ALLOC"},
        {103, "MESSAGE_SIZE_TOO_BIG"},
        {104, "MESSAGE_CONNECTION_CLOSED"},
        {105, "UnknownErrorCode"},
        {106, "UnknownErrorCode"},
        {200, "CLIENT_OK"},
        {300, "CMESSAGE_OK"},
        {301, "CMESSAGE_NOT_INIT"},
        {302, "UnknownErrorCode"},
        {305, "UnknownErrorCode"},
        {10004, "WSAEINTR"},
        {10009, "WSABADF"},
        {10013, "WSAEACCES"},
        {10014, "WSAEFAULT"},
        {10022, "WSAEINVAL"},
        {10024, "WSAEMFILE"},
        {10034, "UnknownErrorCode"},
        {10035, "WSAEWOULDBLOCK"},
        {10040, "WSAEMSGSIZE"},
        {10054, "WSAECONNRESET"},
        {10061, "WSAECONNREFUSED"},
        {10071, "WSAEREMOTE"},
        {10072, "UnknownErrorCode"},
        {10091, "WSASYSNOTREADY"},
        {10092, "UnknownErrorCode"},
        {10093, "WSANOTINITIALISED"},
        {10101, "WSAEDISCON"},
        {11001, "WSAHOST_NOT_FOUND"},
        {11002, "WSATRY_AGAIN"},
        {11003, "WSANO_RECOVERY"},
        {11004, "WSANO_DATA"},
        {0, "UnknownErrorCode"},
    };
    for (const auto& c : cases) {
        char text[64];
        std::memset(text, 'x', sizeof text);
        EXPECT_EQ(onFindErrorASCII(c.code, text), text);
        EXPECT_STREQ(text, c.name) << c.code;
    }
    EXPECT_EQ(onFindErrorASCII(100, nullptr), nullptr);
}

TEST(Status, EveryCodeFrom10035To10071HasItsOwnName) {
    std::string previous;
    for (uint32_t code = 10035; code <= 10071; ++code) {
        const std::string name = statusName(code);
        EXPECT_EQ(name.rfind("WSAE", 0), 0u) << code << " " << name;
        EXPECT_NE(name, previous) << code;
        previous = name;
    }
}

TEST(Status, ErrnoMapsToWindowsSocketsNumbers) {
    const struct {
        int err;
        uint32_t wsa;
    } cases[] = {
        {EINTR, 10004},       {EBADF, 10009},       {EACCES, 10013},       {EINVAL, 10022},
        {EAGAIN, 10035},      {EINPROGRESS, 10036}, {ENOTSOCK, 10038},     {EADDRINUSE, 10048},
        {ENETDOWN, 10050},    {ENETUNREACH, 10051}, {ECONNABORTED, 10053}, {ECONNRESET, 10054},
        {EPIPE, 10054},       {ENOTCONN, 10057},    {ETIMEDOUT, 10060},    {ECONNREFUSED, 10061},
        {EHOSTUNREACH, 10065},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wsaFromErrno(c.err), c.wsa) << std::strerror(c.err);
    }
}

TEST(Status, ConnectionLossCodes) {
    for (uint32_t code : {104u, 10050u, 10051u, 10052u, 10053u, 10054u, 10058u, 10061u, 10064u, 10065u}) {
        EXPECT_TRUE(isConnectionLost(code)) << code;
    }
    for (uint32_t code : {100u, 101u, 103u, 105u, 106u, 303u, 10049u, 10055u, 10057u, 10060u, 10062u}) {
        EXPECT_FALSE(isConnectionLost(code)) << code;
    }
}

}  // namespace
