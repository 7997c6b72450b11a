#include "driver/session/Session.h"

#include "FakeServer.h"
#include "PrivateOdbc.h"
#include "driver/session/ServerList.h"
#include "driver/session/SessionSockets.h"
#include "driver/wire/Channel.h"

#include <odbcinst.h>

#include <gtest/gtest.h>

namespace qn::session {
namespace {

// A port on 127.0.0.1 where nothing listens: bound, then released.
int closedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    ::close(fd);
    return ntohs(addr.sin_port);
}

std::string storedIpOf(const std::string& dsn) {
    char value[256] = {};
    SQLGetPrivateProfileString(dsn.c_str(), "StoredIP", "<none>", value, sizeof value, "odbc.ini");
    return value;
}

TEST(SessionSockets, BeginAndEndReportTheirStatus) {
    test::FakeServer server;
    server.start();
    int fd = 12345;
    uint32_t status = 0;
    ASSERT_EQ(cltBeginSessionByPort("127.0.0.1", server.port(), &fd, &status), 1);
    EXPECT_EQ(status, 200u);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(peerAddress(fd), "127.0.0.1");
    ASSERT_EQ(cltEndSession(&fd, &status), 1);
    EXPECT_EQ(status, 200u);
    EXPECT_EQ(fd, kInvalidSocket);
    // A second end on the now invalid socket is refused.
    EXPECT_EQ(cltEndSession(&fd, &status), 0);
    EXPECT_EQ(status, 303u);
}

TEST(SessionSockets, FailuresCarryTheirCodes) {
    struct Case {
        const char* name;
        int port;
        bool withSocket;
        uint32_t status;
    };
    const int refused = closedPort();
    const Case cases[] = {
        {nullptr, 4545, true, 303},
        {"127.0.0.1", 4545, false, 303},
        {"no-such-host.invalid", 4545, true, 10022},
        {"", 4545, true, 10022},
        {"127.0.0.1", 70000, true, 10022},
        {"127.0.0.1", refused, true, 10061},
    };
    for (const Case& c : cases) {
        int fd = 99;
        uint32_t status = 0;
        EXPECT_EQ(cltBeginSessionByPort(c.name, c.port, c.withSocket ? &fd : nullptr, &status), 0)
            << (c.name ? c.name : "null");
        EXPECT_EQ(status, c.status) << (c.name ? c.name : "null") << ":" << c.port;
        if (c.withSocket && c.name) {
            EXPECT_EQ(fd, kInvalidSocket);
        }
    }
    // The status pointer may be null.
    int fd = 0;
    EXPECT_EQ(cltBeginSessionByPort("127.0.0.1", refused, &fd, nullptr), 0);
    EXPECT_EQ(cltEndSession(nullptr, nullptr), 0);
}

class OpenSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::privateOdbcDir();
        test::clearPrivateOdbc();
        server.start();
        request.dataSource = "TestDsn";
        request.serverName = &serverName;
        request.networkAddress = "127.0.0.1";
        request.portText = std::to_string(server.port());
    }

    test::FakeServer server;
    std::string serverName = "Known";
    SessionRequest request;
    SessionState state;
    SessionFailure failure;
    Channel channel;
};

TEST_F(OpenSessionTest, HandshakeFillsTheSessionResult) {
    server.granted = 0x5;
    server.maxMessageSize = 200000;
    server.maxStatements = 9;
    request.requestedOptions = 0x12;
    ASSERT_EQ(openServerSession(channel, state, request, failure), 0) << failure.messageNumber;
    EXPECT_TRUE(channel.isOpen());
    EXPECT_TRUE(state.handshakeDone);
    EXPECT_EQ(server.requestedOptions(), 0x12u | 0xDu);
    EXPECT_EQ(state.result.grantedOptions, 0x5u);
    EXPECT_EQ(state.result.maxMessageSize, 200000u);
    EXPECT_EQ(state.result.maxStatements, 9u);
    EXPECT_EQ(channel.maxSize(), 200000u);

    // Once per session: a second call neither reconnects nor repeats the handshake.
    ASSERT_EQ(openServerSession(channel, state, request, failure), 0);
    EXPECT_EQ(server.handshakes(), 1);
    EXPECT_EQ(server.connections(), 1);
}

TEST_F(OpenSessionTest, RefusalsMapToTheirMessages) {
    const std::pair<uint32_t, int> cases[] = {{1, 40}, {2, 41}, {3, 42}, {4, 43}, {5, 44},
                                              {6, 59}, {0, 45}, {7, 45}, {0x00010022, 45}};
    for (const auto& [extra, message] : cases) {
        test::FakeServer refusing;
        refusing.handshakeExtra = extra;
        refusing.start();
        request.portText = std::to_string(refusing.port());
        SessionState st;
        Channel ch;
        EXPECT_EQ(openServerSession(ch, st, request, failure), -1) << extra;
        EXPECT_EQ(failure.kind, SessionFailure::Kind::Message) << extra;
        EXPECT_EQ(failure.sqlState, "08S01") << extra;
        EXPECT_EQ(failure.messageNumber, message) << extra;
        EXPECT_EQ(failure.nativeCode, 0) << extra;
        EXPECT_FALSE(st.handshakeDone) << extra;
        // The refused session is closed, so the next connect starts afresh.
        EXPECT_FALSE(ch.isOpen()) << extra;
    }
}

TEST_F(OpenSessionTest, GrantedHandshakeWithoutResultBlockIsACommunicationError) {
    test::FakeServer broken;
    broken.sendResultBlock = false;
    broken.start();
    request.portText = std::to_string(broken.port());
    EXPECT_EQ(openServerSession(channel, state, request, failure), -1);
    EXPECT_EQ(failure.kind, SessionFailure::Kind::Communication);
    EXPECT_EQ(failure.nativeCode, NATIVE_REPLY_BLOCK);
    EXPECT_EQ(failure.status, 302u);
}

TEST_F(OpenSessionTest, MissingAddressOrPortIsRefusedBeforeConnecting) {
    struct Case {
        const char* network;
        const char* stored;
        const char* port;
        bool nameBuffer;
        int message;
    };
    const Case cases[] = {
        {"", "", "4545", true, 7},
        {"127.0.0.1", "", "4545", false, 7},
        {"127.0.0.1", "", "0", true, 8},
        {"127.0.0.1", "", "", true, 8},
        {"127.0.0.1", "", "-5", true, 8},
        {"127.0.0.1", "", "abc", true, 8},
        {"", "127.0.0.1", "70000", true, 8},
    };
    for (const Case& c : cases) {
        request.networkAddress = c.network;
        request.storedAddress = c.stored;
        request.portText = c.port;
        request.serverName = c.nameBuffer ? &serverName : nullptr;
        EXPECT_EQ(openServerSession(channel, state, request, failure), -1) << c.port;
        EXPECT_EQ(failure.sqlState, "08001") << c.port;
        EXPECT_EQ(failure.messageNumber, c.message) << c.network << "/" << c.port;
    }
    EXPECT_EQ(server.connections(), 0);
}

TEST_F(OpenSessionTest, UnreachableServerIsACommunicationError) {
    request.portText = std::to_string(closedPort());
    request.storedAddress = "127.0.0.1";
    EXPECT_EQ(openServerSession(channel, state, request, failure), -1);
    EXPECT_EQ(failure.kind, SessionFailure::Kind::Communication);
    EXPECT_EQ(failure.nativeCode, NATIVE_CONNECT);
    EXPECT_EQ(failure.status, 10061u);
}

TEST_F(OpenSessionTest, StoredAddressIsTriedFirstWithoutANameLookUp) {
    request.storedAddress = "127.0.0.1";
    request.networkAddress = "no-such-host.invalid";  // would fail if it were used
    ASSERT_EQ(openServerSession(channel, state, request, failure), 0);
    EXPECT_EQ(storedIpOf("TestDsn"), "<none>");  // nothing to refresh
}

TEST_F(OpenSessionTest, StaleStoredAddressFallsBackAndIsRewrittenWhereTheSourceLives) {
    enum class Where { User, System, Nowhere };
    for (const Where where : {Where::User, Where::System, Where::Nowhere}) {
        test::clearPrivateOdbc();
        const std::string user = test::privateOdbcDir() + "/user.ini";
        const std::string system = test::privateOdbcDir() + "/odbc.ini";
        // 127.0.0.2 is loopback too, but nothing listens there on this port.
        if (where != Where::Nowhere) {
            const std::string& file = where == Where::User ? user : system;
            SQLWritePrivateProfileString("TestDsn", "Driver", "Quill", file.c_str());
            SQLWritePrivateProfileString("TestDsn", "StoredIP", "127.0.0.2", file.c_str());
        }
        request.storedAddress = "127.0.0.2";
        request.networkAddress = "localhost";
        Channel ch;
        SessionState st;
        ASSERT_EQ(openServerSession(ch, st, request, failure), 0) << failure.status;

        const std::string userText = test::readFile(user);
        const std::string systemText = test::readFile(system);
        switch (where) {
        case Where::User:
            EXPECT_NE(userText.find("StoredIP=127.0.0.1"), std::string::npos) << userText;
            EXPECT_EQ(systemText, "");
            break;
        case Where::System:
            EXPECT_NE(systemText.find("StoredIP=127.0.0.1"), std::string::npos) << systemText;
            // No user section appears in front of the system one: its driver stays found.
            EXPECT_EQ(userText.find("TestDsn"), std::string::npos) << userText;
            break;
        case Where::Nowhere:
            EXPECT_EQ(userText + systemText, "");
            break;
        }
        if (where != Where::Nowhere) {
            char driver[64] = {};
            SQLGetPrivateProfileString("TestDsn", "Driver", "", driver, sizeof driver, "odbc.ini");
            EXPECT_STREQ(driver, "Quill");
            EXPECT_EQ(storedIpOf("TestDsn"), "127.0.0.1");
        }
    }
}

TEST_F(OpenSessionTest, StoredAddressIsLeftAloneWithoutTryIpOrDataSource) {
    struct Case {
        bool tryIP;
        const char* dsn;
    };
    for (const Case& c : {Case{false, "TestDsn"}, Case{true, ""}}) {
        test::clearPrivateOdbc();
        SQLWritePrivateProfileString("TestDsn", "StoredIP", "127.0.0.2",
                                     (test::privateOdbcDir() + "/user.ini").c_str());
        request.tryStoredAddress = c.tryIP;
        request.dataSource = c.dsn;
        request.storedAddress = "127.0.0.2";
        Channel ch;
        SessionState st;
        ASSERT_EQ(openServerSession(ch, st, request, failure), 0) << c.tryIP;
        EXPECT_EQ(storedIpOf("TestDsn"), "127.0.0.2") << c.tryIP << c.dsn;
    }
}

TEST_F(OpenSessionTest, UnknownAddressJoinsTheServerList) {
    serverName.clear();
    ASSERT_EQ(openServerSession(channel, state, request, failure), 0);
    ServerList list;
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.nameAt(1), "127.0.0.1");
    EXPECT_EQ(list.definition("127.0.0.1").ip, "127.0.0.1");
    EXPECT_EQ(list.definition("127.0.0.1").port, request.portText);
    EXPECT_EQ(serverName, "");

    // A second connection to the same place finds the entry and takes its name.
    Channel second;
    SessionState st;
    ASSERT_EQ(openServerSession(second, st, request, failure), 0);
    EXPECT_EQ(serverName, "127.0.0.1");
    EXPECT_EQ(list.count(), 1);
}

TEST_F(OpenSessionTest, KnownAddressNamesTheConnection) {
    ServerList list;
    list.add("Office");
    list.writeDefinition("Office", {"db.example", request.portText, "Yes", "127.0.0.1"});
    serverName.clear();
    request.networkAddress = "";
    request.storedAddress = "127.0.0.1";
    ASSERT_EQ(openServerSession(channel, state, request, failure), 0);
    EXPECT_EQ(serverName, "Office");
    EXPECT_EQ(list.count(), 1);
}

TEST_F(OpenSessionTest, GivenServerNameLeavesTheListAlone) {
    ASSERT_EQ(openServerSession(channel, state, request, failure), 0);
    EXPECT_EQ(ServerList().count(), 0);
    EXPECT_EQ(serverName, "Known");
}

TEST_F(OpenSessionTest, TimeoutTextBecomesTheReceiveTimeout) {
    const std::pair<const char*, uint32_t> cases[] = {{"", 0}, {"12", 12}, {"-3", 0}, {"x", 0}};
    for (const auto& [text, seconds] : cases) {
        request.timeoutText = text;
        Channel ch;
        SessionState st;
        ASSERT_EQ(openServerSession(ch, st, request, failure), 0) << text;
        EXPECT_EQ(ch.receiveTimeout(), seconds) << text;
    }
}

}  // namespace
}  // namespace qn::session
