// The protocol core in-process, with request handlers of the test's own.

#include "SessionClient.h"
#include "core/Server.h"
#include "driver/session/Session.h"
#include "driver/wire/Channel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

namespace qn::server {
namespace {

// Records what reaches it and answers with the request's first long + 1.
struct Journal {
    std::mutex mutex;
    std::vector<std::int32_t> types;
    std::atomic<int> created{0};
    std::atomic<int> disconnected{0};
    std::uint32_t grantedSeen = 0;
    std::string peerSeen;
};

class EchoHandler : public RequestHandler {
public:
    explicit EchoHandler(Journal& j) : journal_(j) {}
    void handle(ConnectionContext& context, const MessageBuffer& request,
                MessageBuffer& reply) override {
        auto& in = const_cast<MessageBuffer&>(request);
        {
            std::lock_guard<std::mutex> lock(journal_.mutex);
            journal_.types.push_back(msgGetType(&in));
            journal_.grantedSeen = context.grantedOptions;
            journal_.peerSeen = context.peerAddress;
        }
        std::uint32_t value = 0;
        if (msgGetSize(&in) >= 16) value = readU32(in.data + 12);
        unsigned char item[16];
        writeU32(item, 1);
        writeU32(item + 4, ITEM_LONG);
        writeU32(item + 8, 4);
        writeU32(item + 12, value + 1);
        msgSetSize(&reply, sizeof item);
        msgPutDataItem(&reply, 0, item, sizeof item);
        msgSetExtraData(&reply, 1);  // SQL_SUCCESS_WITH_INFO
        msgSetType(&reply, -5);      // the core must not send this negative type
    }
    void disconnected(ConnectionContext&) override { ++journal_.disconnected; }

private:
    Journal& journal_;
};

class EchoFactory : public RequestHandlerFactory {
public:
    EchoFactory(Journal& j, bool refuse) : journal_(j), refuse_(refuse) {}
    std::unique_ptr<RequestHandler> create(ConnectionContext&) override {
        ++journal_.created;
        if (refuse_) return nullptr;
        return std::make_unique<EchoHandler>(journal_);
    }

private:
    Journal& journal_;
    bool refuse_;
};

// A server on a thread of this process.
struct RunningServer {
    Server server;
    std::thread thread;
    explicit RunningServer(std::unique_ptr<RequestHandlerFactory> factory, ServerConfig config = {})
        : server([&] {
              config.port = 0;
              return config;
          }(),
                 std::move(factory)) {
        std::string error;
        if (!server.start(error)) throw std::runtime_error(error);
        thread = std::thread([this] { server.run(); });
    }
    ~RunningServer() {
        server.stop();
        thread.join();
    }
};

using Client = test::SessionClient;

TEST(CoreTest, RequestsReachTheHandlerAndItsRepliesTheClient) {
    Journal journal;
    ServerConfig config;
    config.grantableOptions = 0x3;
    RunningServer running(std::make_unique<EchoFactory>(journal, false), config);
    {
        Client client;
        ASSERT_EQ(client.open(running.server.port(), 0x10), 0);
        EXPECT_EQ(journal.created.load(), 1);
        for (const std::int32_t value : {0, 41, -7}) {
            ASSERT_TRUE(client.channel.beginRequest(requestType(50)));
            ASSERT_TRUE(client.channel.putLong(value));
            ASSERT_TRUE(client.channel.send());
            ASSERT_TRUE(client.channel.receive());
            EXPECT_EQ(client.channel.replyCode(), 1);
            EXPECT_GE(client.channel.type(), 0);
            std::int32_t echoed = 0;
            ASSERT_TRUE(client.channel.getLong(&echoed));
            EXPECT_EQ(echoed, value + 1);
        }
        std::lock_guard<std::mutex> lock(journal.mutex);
        EXPECT_EQ(journal.types, std::vector<std::int32_t>(3, requestType(50)));
        EXPECT_EQ(journal.grantedSeen, (0x10u | 0xDu) & 0x3u);
        EXPECT_EQ(journal.peerSeen, "127.0.0.1");
    }
    // The client went away: its handler hears of it exactly once.
    for (int i = 0; i < 200 && journal.disconnected.load() == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(journal.disconnected.load(), 1);
}

TEST(CoreTest, WithoutAHandlerEveryRequestGetsAnErrorReply) {
    RunningServer running(nullptr);
    Client client;
    ASSERT_EQ(client.open(running.server.port()), 0);
    for (const std::uint32_t function : {3u, 9u, 13u, 124u}) {
        ASSERT_TRUE(client.channel.beginRequest(requestType(function)) && client.channel.send() &&
                    client.channel.receive());
        EXPECT_EQ(client.channel.replyCode(), -1) << function;
        EXPECT_EQ(client.channel.size(), 0u) << function;
    }
}

TEST(CoreTest, AFactoryThatCannotServeRefusesTheSession) {
    Journal journal;
    RunningServer running(std::make_unique<EchoFactory>(journal, true));
    Client client;
    EXPECT_EQ(client.open(running.server.port()), -1);
    EXPECT_EQ(client.failure.messageNumber, 41);
    EXPECT_EQ(journal.created.load(), 1);
}

TEST(CoreTest, StopEndsEveryConnectionAndTellsItsHandler) {
    Journal journal;
    auto running = std::make_unique<RunningServer>(std::make_unique<EchoFactory>(journal, false));
    Client a, b;
    ASSERT_EQ(a.open(running->server.port()), 0);
    ASSERT_EQ(b.open(running->server.port()), 0);
    EXPECT_EQ(running->server.activeConnections(), 2u);
    running.reset();  // stop() and wait
    EXPECT_EQ(journal.disconnected.load(), 2);
}

}  // namespace
}  // namespace qn::server
