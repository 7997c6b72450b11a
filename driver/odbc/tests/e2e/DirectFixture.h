// Shared fixture of the direct driver tests: an environment and a connection handle.
#pragma once

#include "DriverApi.h"
#include "Proxy.h"

#include <fstream>
#include <map>
#include <memory>
#include <vector>

inline int serverPort() {
    std::ifstream in(std::string(std::getenv("ODBCSYSINI")) + "/port");
    int port = 0;
    in >> port;
    return port;
}

// A loopback port that was free a moment ago and has no listener.
inline int unusedPort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr *>(&a), &len);
    close(s);
    return ntohs(a.sin_port);
}

inline SQLHWND fakeWindow() { return reinterpret_cast<SQLHWND>(0x1234); }

class Direct : public ::testing::Test {
protected:
    DriverApi api;
    SQLHENV env = nullptr;
    SQLHDBC dbc = nullptr;

    void SetUp() override {
        ASSERT_NE(api.lib, nullptr) << dlerror();
        ASSERT_EQ(api.SQLAllocEnv(&env), SQL_SUCCESS);
        ASSERT_EQ(api.SQLAllocConnect(env, &dbc), SQL_SUCCESS);
    }
    void TearDown() override {
        if (dbc) {
            api.SQLDisconnect(dbc);
            api.SQLFreeConnect(dbc);
        }
        if (env)
            api.SQLFreeEnv(env);
    }
    SQLRETURN driverConnect(const std::string &in, SQLCHAR *out = nullptr, SQLSMALLINT cap = 0,
                            SQLSMALLINT *outLen = nullptr, SQLUSMALLINT mode = SQL_DRIVER_NOPROMPT,
                            SQLHWND window = nullptr) {
        return api.SQLDriverConnect(dbc, window, reinterpret_cast<SQLCHAR *>(const_cast<char *>(in.c_str())),
                                    SQL_NTS, out, cap, outLen, mode);
    }
    void connectVia(int port) {
        ASSERT_EQ(driverConnect("DSN=quill;QNETPORT=" + std::to_string(port)), SQL_SUCCESS)
            << nextError(api, env, dbc, nullptr).message;
    }
    Diag connError() { return nextError(api, env, dbc, nullptr); }
    SQLHSTMT newStatement() {
        SQLHSTMT s = nullptr;
        EXPECT_EQ(api.SQLAllocStmt(dbc, &s), SQL_SUCCESS) << connError().message;
        return s;
    }
    SQLRETURN exec(SQLHSTMT s, const std::string &sql) {
        return api.SQLExecDirect(s, reinterpret_cast<SQLCHAR *>(const_cast<char *>(sql.c_str())), SQL_NTS);
    }
    void expectError(const Diag &d, const char *state, int native, const std::string &text) {
        EXPECT_EQ(d.rc, SQL_SUCCESS);
        EXPECT_EQ(d.state, state);
        EXPECT_EQ(d.native, native);
        EXPECT_EQ(d.message, kPrefix + text);
    }
};

inline const std::string kLost = "Connection Lost! All statements and connections have been closed.";
inline const std::string kNotCapable = "Driver not capable.";


// A string as it travels scrambled: reversed, bit 0x08 of every byte flipped.
inline std::string scrambledForm(const std::string &text) {
    std::string r(text.rbegin(), text.rend());
    for (char &c : r)
        c = static_cast<char>(c ^ 0x08);
    return r;
}
