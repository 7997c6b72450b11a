// The channel: building requests item by item and reading them back, over
// real loopback sockets.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <memory>
#include <string>

#include "Loopback.h"
#include "driver/wire/Channel.h"

using namespace qn;
using qn::test::Loopback;
using qn::test::rawMessage;

namespace {

// Two attached channels talking to each other.
struct Pair {
    Loopback net;
    Channel client;
    Channel server;
    Pair() {
        EXPECT_TRUE(client.attach(net.releaseClient()));
        EXPECT_TRUE(server.attach(net.peer));
        net.peer = -1;  // owned by the server channel now
        client.setReceiveTimeout(5);
        server.setReceiveTimeout(5);
    }
    // Sends what the client built and has the server read it.
    void deliver() {
        ASSERT_TRUE(client.send()) << client.errorCode();
        ASSERT_TRUE(server.receive()) << server.errorCode();
    }
};

// A client channel whose peer is a raw socket.
struct RawPeer {
    Loopback net;
    Channel channel;
    RawPeer() {
        EXPECT_TRUE(channel.attach(net.releaseClient()));
        channel.setReceiveTimeout(2);
    }
};

TEST(Channel, EveryItemKindRoundTrips) {
    Pair p;
    char outText[32];
    int32_t outLong = 0;
    ASSERT_TRUE(p.client.beginRequest(requestType(7)));
    ASSERT_TRUE(p.client.putShort(-2));
    ASSERT_TRUE(p.client.putLong(-100000));
    ASSERT_TRUE(p.client.putHandle(ITEM_HDBC, 7));
    ASSERT_TRUE(p.client.putHandle(ITEM_HSTMT, 0x12345678));
    ASSERT_TRUE(p.client.putHandle(ITEM_HENV, 9));
    ASSERT_TRUE(p.client.putString("hello world", 5));
    ASSERT_TRUE(p.client.putString("measured", kNts));
    ASSERT_TRUE(p.client.putScrambled("s3cr\x8et"));
    const unsigned char bin[5] = {0, 1, 2, 0xFF, 0x80};
    ASSERT_TRUE(p.client.putBinary(bin, 5));
    ASSERT_TRUE(p.client.putBinary(bin, 3, 4));  // bound data of column 3
    ASSERT_TRUE(p.client.putOutput(ITEM_OUT_STRING, outText, sizeof outText));
    ASSERT_TRUE(p.client.putOutput(ITEM_OUT_LONG, &outLong, 4));
    ASSERT_TRUE(p.client.putOutputToken(ITEM_OUT_BINARY, 0xC0DE, 200));
    // Absent arguments travel as ITEM_NULL.
    ASSERT_TRUE(p.client.putString(nullptr));
    ASSERT_TRUE(p.client.putScrambled(nullptr));
    ASSERT_TRUE(p.client.putBinary(nullptr, 10));
    ASSERT_TRUE(p.client.putOutput(ITEM_OUT_SHORT, nullptr, 2));
    p.deliver();

    Channel& s = p.server;
    EXPECT_EQ(s.type(), requestType(7));
    int16_t sh = 0;
    int32_t lg = 0;
    uint32_t handle = 0;
    bool absent = true;
    EXPECT_TRUE(s.getShort(&sh));
    EXPECT_EQ(sh, -2);
    EXPECT_TRUE(s.getLong(&lg));
    EXPECT_EQ(lg, -100000);
    EXPECT_TRUE(s.getHandle(ITEM_HDBC, &handle, &absent));
    EXPECT_EQ(handle, 7u);
    EXPECT_FALSE(absent);
    EXPECT_TRUE(s.getHandle(ITEM_HSTMT, &handle));
    EXPECT_EQ(handle, 0x12345678u);
    EXPECT_TRUE(s.getHandle(ITEM_HENV, &handle));
    EXPECT_EQ(handle, 9u);
    char text[64];
    uint32_t len = 0;
    EXPECT_TRUE(s.getString(ITEM_STRING, text, sizeof text, &len));
    EXPECT_EQ(std::string(text), "hello");
    EXPECT_EQ(len, 5u);
    std::string whole;
    EXPECT_TRUE(s.getText(ITEM_STRING, &whole));
    EXPECT_EQ(whole, "measured");
    EXPECT_TRUE(s.getText(ITEM_SCRAMBLED, &whole));
    EXPECT_EQ(whole, "s3cr\x8et");
    unsigned char got[8] = {};
    EXPECT_TRUE(s.getBinary(got, sizeof got, &len));
    EXPECT_EQ(len, 5u);
    EXPECT_EQ(0, std::memcmp(got, bin, 5));
    EXPECT_EQ(s.peekIndex(), 4u);
    EXPECT_TRUE(s.getBinary(got, sizeof got, &len, nullptr, 4));
    EXPECT_EQ(len, 3u);
    uint32_t capacity = 0, presence = 0;
    EXPECT_TRUE(s.getOutput(ITEM_OUT_STRING, &capacity, &presence, &absent));
    EXPECT_EQ(capacity, 32u);
    EXPECT_NE(presence, 0u);
    EXPECT_FALSE(absent);
    EXPECT_TRUE(s.getOutput(ITEM_OUT_LONG, &capacity, &presence));
    EXPECT_EQ(capacity, 4u);
    EXPECT_TRUE(s.getOutput(ITEM_OUT_BINARY, &capacity, &presence));
    EXPECT_EQ(capacity, 200u);
    EXPECT_EQ(presence, 0xC0DEu);
    EXPECT_TRUE(s.getString(ITEM_STRING, text, sizeof text, &len, &absent));
    EXPECT_TRUE(absent);
    EXPECT_TRUE(s.getText(ITEM_SCRAMBLED, &whole, &absent));
    EXPECT_TRUE(absent);
    EXPECT_TRUE(whole.empty());
    EXPECT_TRUE(s.getBinary(got, sizeof got, &len, &absent));
    EXPECT_TRUE(absent);
    EXPECT_TRUE(s.getOutput(ITEM_OUT_SHORT, &capacity, &presence, &absent));
    EXPECT_TRUE(absent);
    // Everything consumed.
    EXPECT_EQ(s.peekIndex(), 0u);
    EXPECT_FALSE(s.getShort(&sh));
    EXPECT_EQ(s.errorCode(), uint32_t(CMESSAGE_MISSING_ITEM));
}

TEST(Channel, ItemsAreLittleEndianOnTheWire) {
    RawPeer r;
    ASSERT_TRUE(r.channel.beginRequest(requestType(20)));
    ASSERT_TRUE(r.channel.putHandle(ITEM_HSTMT, 0x01020304));
    ASSERT_TRUE(r.channel.putShort(-3));
    ASSERT_TRUE(r.channel.putScrambled("abc"));
    ASSERT_TRUE(r.channel.putOutputToken(ITEM_OUT_LONG, 0xAABBCCDD, 4));
    ASSERT_TRUE(r.channel.send());
    const std::vector<uint8_t> expected = {
        0xBA, 0xDC, 0xCD, 0xAB, 0x14, 0x00, 0x00, 0x80,  // magic, type 0x80000014
        0x3D, 0x00, 0x00, 0x00, 0x00, 0x40, 0x00, 0x00,  // size 61, extra = maximum size 16384
        0x00, 0x00, 0x00, 0x00,                          // encryption info
        0x01, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x04, 0x03, 0x02, 0x01,
        0x01, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0xFD, 0xFF,
        0x01, 0x00, 0x00, 0x00, 0x04, 0x11, 0x01, 0x00, 0x03, 0x00, 0x00, 0x00, 0x6B, 0x6A, 0x69,
        0x01, 0x00, 0x00, 0x00, 0x06, 0x12, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0xDD, 0xCC, 0xBB, 0xAA,
    };
    EXPECT_EQ(r.net.peerRead(expected.size()), expected);
}

TEST(Channel, ScramblingIsItsOwnInverse) {
    EXPECT_EQ(scrambled("abc"), "\x6B\x6A\x69");
    for (const std::string& s : {std::string(), std::string("x"), std::string("abc"), std::string("user name"), std::string("\0\xff\x08", 3)}) {
        EXPECT_EQ(scrambled(scrambled(s)), s);
    }
}

// Replies read by a client from a hand-made message.
std::vector<uint8_t> item(uint32_t index, uint32_t tag, uint32_t length, std::vector<uint8_t> payload) {
    std::vector<uint8_t> v;
    qn::test::putLe32(v, index);
    qn::test::putLe32(v, tag);
    qn::test::putLe32(v, length);
    v.insert(v.end(), payload.begin(), payload.end());
    return v;
}

std::vector<uint8_t> reply(const std::vector<std::vector<uint8_t>>& items, uint32_t extra = 0) {
    std::vector<uint8_t> body;
    for (const auto& i : items) body.insert(body.end(), i.begin(), i.end());
    return rawMessage(kMessageMagic, 5, uint32_t(body.size()), extra, 0, body);
}

TEST(Channel, ReadingChecksTagIndexAndCapacity) {
    struct Case {
        const char* what;
        std::vector<uint8_t> item;
        uint32_t expectedTag;
        uint32_t expectedIndex;
        uint32_t capacity;
        uint32_t error;  // 0: success
    };
    const Case cases[] = {
        {"string where a short is due", item(1, ITEM_STRING, 2, {'a', 'b'}), ITEM_SHORT, 1, 2, CMESSAGE_WRONG_TYPE},
        {"ITEM_NULL where a short is due", item(1, ITEM_NULL, 0, {}), ITEM_SHORT, 1, 2, CMESSAGE_WRONG_TYPE},
        {"ITEM_NULL where a long is due", item(1, ITEM_NULL, 0, {}), ITEM_LONG, 1, 4, CMESSAGE_WRONG_TYPE},
        {"ITEM_NULL where a string is due", item(1, ITEM_NULL, 0, {}), ITEM_STRING, 1, 8, 0},
        {"ITEM_NULL where a handle is due", item(1, ITEM_NULL, 0, {}), ITEM_HSTMT, 1, 4, 0},
        {"string longer than the area", item(1, ITEM_STRING, 5, {'a', 'b', 'c', 'd', 'e'}), ITEM_STRING, 1, 4,
         CMESSAGE_TOO_LARGE},
        {"bound data of another column", item(3, ITEM_BINARY, 1, {7}), ITEM_BINARY, 2, 4, CMESSAGE_WRONG_TYPE},
        {"bound data of this column", item(3, ITEM_BINARY, 1, {7}), ITEM_BINARY, 3, 4, 0},
        {"payload beyond the message", item(1, ITEM_BINARY, 9, {1, 2}), ITEM_BINARY, 1, 64,
         CMESSAGE_INVALID_ARGUMENT},
        {"huge length, larger than the area", item(1, ITEM_BINARY, 0xFFFFFFF8, {1}), ITEM_BINARY, 1, 64,
         CMESSAGE_TOO_LARGE},
        {"item header cut short", {1, 0, 0, 0, 6, 0, 0, 0}, ITEM_LONG, 1, 4, CMESSAGE_MISSING_ITEM},
    };
    for (const Case& c : cases) {
        RawPeer r;
        r.net.peerWrite(reply({c.item}));
        ASSERT_TRUE(r.channel.receive()) << c.what;
        std::vector<unsigned char> dest(64, 0xEE);
        const bool ok = r.channel.getItem(c.expectedIndex, c.expectedTag, dest.data(),
                                          std::min<uint32_t>(c.capacity, 64), nullptr, nullptr);
        EXPECT_EQ(ok, c.error == 0) << c.what;
        if (c.error != 0) {
            EXPECT_EQ(r.channel.errorCode(), c.error) << c.what;
            EXPECT_EQ(r.channel.cursor(), 0u) << c.what << ": a failed read must not consume";
        } else {
            EXPECT_EQ(r.channel.cursor(), c.item.size()) << c.what;
        }
    }
}

TEST(Channel, IntegerItemsMustHaveTheirWidth) {
    const struct {
        uint32_t tag;
        std::vector<uint8_t> payload;
    } cases[] = {
        {ITEM_SHORT, {1}}, {ITEM_SHORT, {1, 0, 0, 0}}, {ITEM_LONG, {1, 0}}, {ITEM_HSTMT, {1, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        RawPeer r;
        r.net.peerWrite(reply({item(1, c.tag, uint32_t(c.payload.size()), c.payload)}));
        ASSERT_TRUE(r.channel.receive());
        int16_t sh = 0;
        int32_t lg = 0;
        uint32_t handle = 0;
        const bool ok = c.tag == ITEM_SHORT  ? r.channel.getShort(&sh)
                        : c.tag == ITEM_LONG ? r.channel.getLong(&lg)
                                             : r.channel.getHandle(c.tag, &handle);
        EXPECT_FALSE(ok) << c.tag << "/" << c.payload.size();
        EXPECT_EQ(r.channel.errorCode(), uint32_t(CMESSAGE_WRONG_TYPE));
        EXPECT_EQ(r.channel.cursor(), 0u);
    }
}

TEST(Channel, WholeTextRefusesALengthBeyondTheMessage) {
    RawPeer r;
    r.net.peerWrite(reply({item(1, ITEM_STRING, 0xFFFFFFF8, {'a'})}));
    ASSERT_TRUE(r.channel.receive());
    std::string text = "unchanged";
    EXPECT_FALSE(r.channel.getText(ITEM_STRING, &text));
    EXPECT_EQ(r.channel.errorCode(), uint32_t(CMESSAGE_INVALID_ARGUMENT));
    EXPECT_EQ(text, "unchanged");
}

TEST(Channel, TerminatorOnlyWhenShorterThanTheArea) {
    struct Case {
        uint32_t tag;
        std::vector<uint8_t> payload;
        uint32_t capacity;
        bool terminated;
    };
    const Case cases[] = {
        {ITEM_STRING, {'a', 'b', 'c'}, 3, false},
        {ITEM_STRING, {'a', 'b', 'c'}, 4, true},
        {ITEM_BINARY, {1, 2}, 2, false},
        {ITEM_BINARY, {1, 2}, 3, true},
        {ITEM_SCRAMBLED, {0x6B, 0x6A, 0x69}, 3, false},
        {ITEM_SCRAMBLED, {0x6B, 0x6A, 0x69}, 10, true},
    };
    for (const Case& c : cases) {
        RawPeer r;
        r.net.peerWrite(reply({item(1, c.tag, uint32_t(c.payload.size()), c.payload)}));
        ASSERT_TRUE(r.channel.receive());
        unsigned char dest[16];
        std::memset(dest, 0xEE, sizeof dest);
        uint32_t len = 0;
        ASSERT_TRUE(r.channel.getItem(1, c.tag, dest, c.capacity, &len));
        EXPECT_EQ(len, c.payload.size());
        EXPECT_EQ(dest[c.payload.size()], c.terminated ? 0x00 : 0xEE) << c.tag << "/" << c.capacity;
        if (c.tag == ITEM_SCRAMBLED) {
            EXPECT_EQ(0, std::memcmp(dest, "abc", 3));
        }
    }
}

TEST(Channel, ReplyCodeIsTheLowSixteenBitsOfExtra) {
    const struct {
        uint32_t extra;
        int16_t code;
    } cases[] = {{0, 0}, {1, 1}, {0xFFFF, -1}, {0x1234FFFE, -2}, {99, 99}, {100, 100}};
    for (const auto& c : cases) {
        RawPeer r;
        r.net.peerWrite(reply({}, c.extra));
        ASSERT_TRUE(r.channel.receive());
        EXPECT_EQ(r.channel.replyCode(), c.code);
        EXPECT_EQ(r.channel.lastReplyCode(), c.code);
    }
}

TEST(Channel, RequestExtraAboveThirtyTwoBecomesTheReceiversMaximum) {
    const struct {
        uint32_t type;
        uint32_t extra;
        uint32_t maxAfter;
    } cases[] = {
        {0x80000003, 40000, 40000},
        {0x80000003, 32, 16384},
        {0x80000003, 33, 33},
        {0x00000003, 40000, 16384},  // replies never change it
        {0x80000003, 0xFFFFFFFF, kMaxSizeCeiling},
    };
    for (const auto& c : cases) {
        RawPeer r;
        r.net.peerWrite(rawMessage(kMessageMagic, c.type, 0, c.extra, 0));
        ASSERT_TRUE(r.channel.receive());
        EXPECT_EQ(r.channel.maxSize(), c.maxAfter) << c.extra;
    }
}

TEST(Channel, BeginSetsExtraToMaximumForRequestsOnly) {
    RawPeer r;
    r.channel.setMaxSize(50000);
    ASSERT_TRUE(r.channel.beginRequest(requestType(9)));
    EXPECT_EQ(r.channel.extra(), 50000u);
    ASSERT_TRUE(r.channel.beginRequest(kHandshakeType, kHandshakeExtra));
    EXPECT_EQ(r.channel.extra(), kHandshakeExtra);
    EXPECT_EQ(r.channel.type(), kHandshakeType);
    ASSERT_TRUE(r.channel.send());
    const auto bytes = r.net.peerRead(20);
    EXPECT_EQ(std::string(bytes.begin() + 4, bytes.begin() + 8), "QNET");
}

TEST(Channel, ItemsGrowTheBlockUpToTheMaximum) {
    RawPeer r;
    std::vector<unsigned char> big(5000, 0x61);
    ASSERT_TRUE(r.channel.beginRequest(requestType(49)));
    ASSERT_TRUE(r.channel.putBinary(big.data(), uint32_t(big.size())));
    EXPECT_EQ(r.channel.size(), 5012u);
    EXPECT_GE(r.channel.buffer().capacity, 5012u);
    std::vector<unsigned char> tooBig(16384, 0x62);
    EXPECT_FALSE(r.channel.putBinary(tooBig.data(), uint32_t(tooBig.size())));
    EXPECT_EQ(r.channel.errorCode(), uint32_t(MESSAGE_SIZE_TOO_BIG));
    // What was put before stays intact.
    EXPECT_EQ(r.channel.size(), 5012u);
    ASSERT_TRUE(r.channel.send());
    const auto bytes = r.net.peerRead(20 + 5012);
    EXPECT_EQ(bytes.back(), 0x61);
}

TEST(Channel, ClosedChannelReports301) {
    Channel c;
    EXPECT_EQ(c.errorCode(), uint32_t(CMESSAGE_NOT_INIT));
    EXPECT_STREQ(c.errorText(), "CMESSAGE_NOT_INIT");
    EXPECT_FALSE(c.beginRequest(requestType(5)));
    EXPECT_FALSE(c.putLong(1));
    EXPECT_FALSE(c.send());
    EXPECT_FALSE(c.receive());
    EXPECT_EQ(c.channelError(), uint32_t(CMESSAGE_NOT_INIT));
    EXPECT_FALSE(c.attach(-1));
}

TEST(Channel, SilenceUnderTimeOutAndDetachClosesTheSocket) {
    RawPeer r;
    r.channel.setReceiveTimeout(1);
    EXPECT_FALSE(r.channel.receive());
    EXPECT_EQ(r.channel.errorCode(), uint32_t(MESSAGE_CONNECTION_CLOSED));
    EXPECT_STREQ(r.channel.errorText(), "MESSAGE_CONNECTION_CLOSED");
    EXPECT_TRUE(r.channel.detach());
    EXPECT_FALSE(r.channel.isOpen());
    EXPECT_EQ(r.channel.socket(), -1);
    unsigned char byte;
    EXPECT_EQ(::recv(r.net.peer, &byte, 1, 0), 0) << "peer should see the close";
}

TEST(Channel, TimeOutZeroWaitsWithoutLimit) {
    RawPeer r;
    r.channel.setReceiveTimeout(0);
    std::thread peer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        r.net.peerWrite(reply({item(1, ITEM_LONG, 4, {9, 0, 0, 0})}));
    });
    const bool received = r.channel.receive();
    peer.join();
    ASSERT_TRUE(received) << r.channel.errorCode();
    int32_t v = 0;
    EXPECT_TRUE(r.channel.getLong(&v));
    EXPECT_EQ(v, 9);
}

TEST(Channel, MalformedArgumentsAre303) {
    RawPeer r;
    ASSERT_TRUE(r.channel.beginRequest(requestType(5)));
    EXPECT_FALSE(r.channel.putHandle(ITEM_LONG, 1));
    EXPECT_EQ(r.channel.errorCode(), uint32_t(CMESSAGE_INVALID_ARGUMENT));
    EXPECT_FALSE(r.channel.putString("abc", -1));
    EXPECT_FALSE(r.channel.putOutputToken(ITEM_OUT_LONG, 0, 4));
    EXPECT_FALSE(r.channel.putItem(1, ITEM_BINARY, 3, nullptr));
    EXPECT_EQ(r.channel.size(), 0u);
    r.net.peerWrite(reply({item(1, ITEM_LONG, 4, {1, 0, 0, 0})}));
    ASSERT_TRUE(r.channel.receive());
    EXPECT_FALSE(r.channel.getItem(1, ITEM_LONG, nullptr, 4));
    EXPECT_EQ(r.channel.errorCode(), uint32_t(CMESSAGE_INVALID_ARGUMENT));
    int32_t v = 0;
    EXPECT_TRUE(r.channel.getLong(&v));
    EXPECT_EQ(v, 1);
}

}  // namespace
