#include "ServerProcess.h"
#include "SessionClient.h"
#include "driver/session/Probe.h"
#include "driver/session/Session.h"
#include "driver/session/SessionSockets.h"
#include "driver/wire/Channel.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <atomic>
#include <random>

namespace qn::server {
namespace {

using namespace std::chrono_literals;

using Client = test::SessionClient;

// A raw TCP client for bytes no driver would send.
struct RawClient {
    int fd = -1;
    explicit RawClient(int port) {
        uint32_t status = 0;
        cltBeginSessionByPort("127.0.0.1", port, &fd, &status);
    }
    ~RawClient() {
        if (fd >= 0) ::close(fd);
    }
    void write(const std::vector<unsigned char>& bytes) const {
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }
    // Everything the server sends until it closes or stays silent for `quiet`.
    std::vector<unsigned char> readAll(int quietMs = 2000) const {
        std::vector<unsigned char> out;
        for (;;) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, quietMs) <= 0) break;
            unsigned char buf[4096];
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0) {
                closedByPeer = true;
                break;
            }
            out.insert(out.end(), buf, buf + n);
        }
        return out;
    }
    mutable bool closedByPeer = false;
};

std::vector<unsigned char> header(uint32_t magic, int32_t type, uint32_t size, uint32_t extra) {
    std::vector<unsigned char> h(20);
    writeU32(h.data(), magic);
    writeU32(h.data() + 4, uint32_t(type));
    writeU32(h.data() + 8, size);
    writeU32(h.data() + 12, extra);
    return h;
}

class ServerTest : public ::testing::Test {
protected:
    void expectStillServing(test::ServerProcess& server) {
        EXPECT_TRUE(server.running());
        EXPECT_TRUE(session::probe("127.0.0.1", server.port(), 5));
    }
};

TEST_F(ServerTest, AnswersTheProbe) {
    test::ServerProcess server;
    ASSERT_TRUE(server.started()) << server.log();
    EXPECT_TRUE(session::probe("127.0.0.1", server.port(), 5));
    EXPECT_TRUE(session::probe("localhost", server.port(), 5));
    EXPECT_EQ(session::findServerPort("127.0.0.1", server.port() - 2, server.port() + 2, 5),
              server.port());
    EXPECT_EQ(session::findServerPort("127.0.0.1", server.port() + 1, server.port() + 3, 5), 0);
}

TEST_F(ServerTest, HandshakeGrantsWhatTheConfigurationAllows) {
    struct Case {
        const char* config;
        std::uint32_t requested;
        std::uint32_t granted;
        std::uint32_t maxSize;
        std::uint32_t maxStatements;
    };
    const Case cases[] = {
        {"", 0x12, 0x1F, 1048576, 0},  // 0xD is always asked for on top
        {"Options = 5\nMaxMessageSize = 200000\nMaxStatements = 3\n", 0x12, 0x5, 200000, 3},
        {"Options = 0\n", 0x1F, 0, 1048576, 0},
    };
    for (const Case& c : cases) {
        test::ServerProcess server(c.config);
        ASSERT_TRUE(server.started()) << server.log();
        Client client;
        ASSERT_EQ(client.open(server.port(), c.requested), 0) << client.failure.messageNumber;
        EXPECT_EQ(client.state.result.grantedOptions, c.granted) << c.config;
        EXPECT_EQ(client.state.result.maxMessageSize, c.maxSize) << c.config;
        EXPECT_EQ(client.state.result.maxStatements, c.maxStatements) << c.config;
        EXPECT_EQ(client.channel.maxSize(), c.maxSize) << c.config;
    }
}

TEST_F(ServerTest, RequestBeforeTheHandshakeIsRefused) {
    test::ServerProcess server;
    ASSERT_TRUE(server.started()) << server.log();
    Channel channel;
    ASSERT_TRUE(session::connectToAddress(channel, "127.0.0.1", server.port()));
    ASSERT_TRUE(channel.beginRequest(requestType(7)) && channel.send() && channel.receive());
    EXPECT_EQ(channel.replyCode(), -1);
    expectStillServing(server);
}

TEST_F(ServerTest, HandshakeOfAnotherVersionOrShapeIsRefused) {
    test::ServerProcess server;
    ASSERT_TRUE(server.started()) << server.log();
    struct Case {
        std::uint32_t extra;
        bool withItem;
        std::uint32_t refusal;
    };
    for (const Case& c : {Case{0x00010022, true, 4}, Case{kHandshakeExtra, false, 5}}) {
        Channel channel;
        ASSERT_TRUE(session::connectToAddress(channel, "127.0.0.1", server.port()));
        channel.setReceiveTimeout(5);
        ASSERT_TRUE(channel.beginRequest(kHandshakeType, c.extra));
        if (c.withItem) channel.putLong(0xD);
        ASSERT_TRUE(channel.send());
        ASSERT_TRUE(channel.receive());
        EXPECT_EQ(channel.extra(), c.refusal);
        // The refused session is over.
        EXPECT_FALSE(channel.beginRequest(kProbeType, kProbeExtra) && channel.send() &&
                     channel.receive());
    }
    expectStillServing(server);
}

TEST_F(ServerTest, MalformedMessagesNeverStopTheServer) {
    test::ServerProcess server;
    ASSERT_TRUE(server.started()) << server.log();
    std::mt19937 random(1234);
    std::vector<unsigned char> garbage(300);
    for (auto& b : garbage) b = static_cast<unsigned char>(random());
    auto withBody = [](std::vector<unsigned char> h, std::size_t n) {
        h.resize(h.size() + n, 0x55);
        return h;
    };
    struct Case {
        const char* what;
        std::vector<unsigned char> bytes;
        bool halfClose;            // the client stops sending after these bytes
        std::uint32_t replyExtra;  // the error reply's extra; 0: closed without a reply
    };
    const Case cases[] = {
        {"short header", {0xBA, 0xDC, 0xCD, 0xAB, 1, 2, 3}, true, 0xFFFF},
        {"wrong magic", header(0x12345678, requestType(9), 0, 0), false, 0xFFFF},
        {"type -1", header(kMessageMagic, -1, 0, 0), false, 0xFFFF},
        {"huge size", header(kMessageMagic, requestType(9), 0xFFFFFFF0u, 0), false, 0xFFFF},
        {"size above the maximum", withBody(header(kMessageMagic, requestType(9), 2000000, 0), 64), false, 0xFFFF},
        {"garbage", garbage, false, 0xFFFF},
        {"body cut short", withBody(header(kMessageMagic, kHandshakeType, 100, kHandshakeExtra), 10), true, 0},
        {"handshake item too short", withBody(header(kMessageMagic, kHandshakeType, 8, kHandshakeExtra), 8), false, 5},
    };
    for (const Case& c : cases) {
        RawClient raw(server.port());
        ASSERT_GE(raw.fd, 0) << c.what;
        raw.write(c.bytes);
        if (c.halfClose) ::shutdown(raw.fd, SHUT_WR);
        const std::vector<unsigned char> reply = raw.readAll();
        if (c.replyExtra == 0) {
            EXPECT_TRUE(reply.empty()) << c.what;
        } else {
            // One bodiless reply with a proper header, then the end of the connection.
            ASSERT_EQ(reply.size(), 20u) << c.what;
            EXPECT_EQ(readU32(reply.data()), kMessageMagic) << c.what;
            EXPECT_GE(int32_t(readU32(reply.data() + 4)), 0) << c.what;
            EXPECT_EQ(readU32(reply.data() + 8), 0u) << c.what;
            EXPECT_EQ(readU32(reply.data() + 12), c.replyExtra) << c.what;
        }
        EXPECT_TRUE(raw.closedByPeer) << c.what;
        expectStillServing(server);
    }
}

TEST_F(ServerTest, ServesManyClientsAtOnce) {
    test::ServerProcess server;
    ASSERT_TRUE(server.started()) << server.log();
    constexpr int kClients = 40;
    std::atomic<int> ok{0};
    std::vector<std::thread> threads;
    // All connect first, then all talk: every session is open at the same moment.
    std::atomic<int> ready{0};
    for (int i = 0; i < kClients; ++i) {
        threads.emplace_back([&] {
            Client client;
            const bool opened = client.open(server.port()) == 0;
            ++ready;
            while (ready.load() < kClients) std::this_thread::sleep_for(1ms);
            // Whatever the executor answers, every client gets its own replies.
            if (opened && client.roundTrip(23) != 1000 && client.roundTrip(9) != 1000) ++ok;
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(ok.load(), kClients);
    expectStillServing(server);
}

TEST_F(ServerTest, ConnectionsBeyondTheLimitAreRefused) {
    test::ServerProcess server("MaxConnections = 2\n");
    ASSERT_TRUE(server.started()) << server.log();
    Client first, second, third;
    ASSERT_EQ(first.open(server.port()), 0);
    ASSERT_EQ(second.open(server.port()), 0);
    EXPECT_EQ(third.open(server.port()), -1);
    EXPECT_EQ(third.failure.messageNumber, 41);
    // Room again once a client leaves (the server notices the close on its own time).
    first.channel.detach();
    bool reopened = false;
    for (int i = 0; i < 100 && !reopened; ++i) {
        Client again;
        reopened = again.open(server.port()) == 0;
        if (!reopened) std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(reopened);
}

TEST_F(ServerTest, StopsCleanlyOnSigtermWithClientsConnected) {
    test::ServerProcess server;
    ASSERT_TRUE(server.started()) << server.log();
    Client a, b;
    ASSERT_EQ(a.open(server.port()), 0);
    ASSERT_EQ(b.open(server.port()), 0);
    RawClient halfMessage(server.port());
    halfMessage.write({0xBA, 0xDC});
    std::this_thread::sleep_for(100ms);
    std::chrono::milliseconds took{0};
    const int status = server.terminate(1000ms, &took);
    ASSERT_NE(status, -1) << "still running after a second";
    EXPECT_TRUE(WIFEXITED(status)) << server.log();
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_LT(took.count(), 1000);
    EXPECT_NE(server.log().find("stopped"), std::string::npos) << server.log();
    // The clients see their sessions end.
    EXPECT_EQ(a.roundTrip(9), 1000);
}

TEST_F(ServerTest, RefusesToStartOnBadConfiguration) {
    struct Case {
        const char* config;
        std::vector<std::string> args;
        int exitCode;
    };
    const Case cases[] = {
        {"Port = nonsense\n", {}, 2},
        {"", {"--bogus", "1"}, 2},
        {"Encryption = /nonexistent/plugin.qex\n", {}, 1},
        {"Listen = no-such-host.invalid\n", {}, 1},
    };
    for (const Case& c : cases) {
        test::ServerProcess server(c.config, c.args);
        EXPECT_FALSE(server.started()) << c.config;
        const int status = server.terminate(2000ms);
        ASSERT_TRUE(WIFEXITED(status)) << c.config;
        EXPECT_EQ(WEXITSTATUS(status), c.exitCode) << c.config << server.log();
    }
}

}  // namespace
}  // namespace qn::server
