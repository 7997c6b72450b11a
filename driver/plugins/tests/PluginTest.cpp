// Encryption plug-ins at the two hook points, over loopback sockets: the real
// AES-256-GCM plug-in, a block-moving plug-in, one lacking Decrypt and one
// that fails on purpose.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "Loopback.h"
#include "driver/wire/Channel.h"
#include "driver/wire/Plugin.h"

using namespace qn;
using qn::test::Loopback;
using qn::test::rawMessage;

namespace {

const std::string kAes = QN_AES_PLUGIN;

// The pre-shared key, written once per process before the plug-in reads it.
void useTestKey() {
    static const bool done = [] {
        const std::string path = std::string(QN_KEY_DIR) + "/test.key";
        std::ofstream(path) << "00112233445566778899aabbccddeeff\n"
                               "ffeeddccbbaa99887766554433221100\n";
        ::setenv("QUILLNET_KEY_FILE", path.c_str(), 1);
        return true;
    }();
    (void)done;
}

struct Pair {
    Loopback net;
    Channel client;
    Channel server;
    Pair(const std::string& clientPlugin, const std::string& serverPlugin) {
        EXPECT_TRUE(client.attach(net.releaseClient()));
        EXPECT_TRUE(server.attach(net.peer));
        net.peer = -1;
        client.setReceiveTimeout(5);
        server.setReceiveTimeout(5);
        EXPECT_EQ(client.loadEncryption(clientPlugin), !clientPlugin.empty());
        EXPECT_EQ(server.loadEncryption(serverPlugin), !serverPlugin.empty());
    }
};

// A channel whose peer is a raw socket.
struct RawPeer {
    Loopback net;
    Channel channel;
    explicit RawPeer(const std::string& plugin) {
        EXPECT_TRUE(channel.attach(net.releaseClient()));
        channel.setReceiveTimeout(2);
        channel.loadEncryption(plugin);
    }
    std::vector<uint8_t> readMessage() {
        std::vector<uint8_t> m = net.peerRead(20);
        const uint32_t size = readU32(m.data() + 8);
        const std::vector<uint8_t> body = net.peerRead(size);
        m.insert(m.end(), body.begin(), body.end());
        return m;
    }
};

void putSample(Channel& c, const std::string& text, size_t binarySize) {
    std::vector<unsigned char> bin(binarySize);
    for (size_t i = 0; i < bin.size(); ++i) bin[i] = static_cast<unsigned char>(i * 7);
    ASSERT_TRUE(c.beginRequest(requestType(11)));
    ASSERT_TRUE(c.putHandle(ITEM_HSTMT, 42));
    ASSERT_TRUE(c.putString(text.c_str()));
    ASSERT_TRUE(c.putScrambled("pass word"));
    ASSERT_TRUE(c.putBinary(bin.data(), uint32_t(bin.size())));
}

void checkSample(Channel& c, const std::string& text, size_t binarySize) {
    uint32_t h = 0;
    std::string s;
    ASSERT_TRUE(c.getHandle(ITEM_HSTMT, &h));
    EXPECT_EQ(h, 42u);
    ASSERT_TRUE(c.getText(ITEM_STRING, &s));
    EXPECT_EQ(s, text);
    ASSERT_TRUE(c.getText(ITEM_SCRAMBLED, &s));
    EXPECT_EQ(s, "pass word");
    std::vector<unsigned char> bin(binarySize + 1);
    uint32_t n = 0;
    ASSERT_TRUE(c.getBinary(bin.data(), uint32_t(bin.size()), &n));
    ASSERT_EQ(n, binarySize);
    for (size_t i = 0; i < binarySize; ++i) {
        ASSERT_EQ(bin[i], static_cast<unsigned char>(i * 7)) << i;
    }
    EXPECT_EQ(c.peekIndex(), 0u);
}

TEST(Encryption, AesRoundTripBetweenTwoChannels) {
    useTestKey();
    Pair p(kAes, kAes);
    ASSERT_TRUE(p.client.encryptionInUse());
    // Sizes around the initial block and up to the largest message allowed.
    for (size_t binary : {size_t(0), size_t(1000), size_t(16384 - 80)}) {
        putSample(p.client, "SELECT * FROM Items", binary);
        ASSERT_TRUE(p.client.send()) << p.client.errorCode();
        ASSERT_TRUE(p.server.receive()) << p.server.errorCode();
        EXPECT_EQ(p.server.type(), requestType(11));
        checkSample(p.server, "SELECT * FROM Items", binary);

        ASSERT_TRUE(p.server.beginRequest(11, 1));  // reply, SQL_SUCCESS_WITH_INFO
        ASSERT_TRUE(p.server.putLong(-5));
        ASSERT_TRUE(p.server.send());
        ASSERT_TRUE(p.client.receive()) << p.client.errorCode();
        EXPECT_EQ(p.client.replyCode(), 1);
        int32_t v = 0;
        ASSERT_TRUE(p.client.getLong(&v));
        EXPECT_EQ(v, -5);
    }
}

TEST(Encryption, AesBodyOnTheWireIsEnciphered) {
    useTestKey();
    RawPeer r(kAes);
    ASSERT_TRUE(r.channel.encryptionInUse());
    putSample(r.channel, "plain-marker-text", 100);
    const uint32_t plainSize = r.channel.size();
    ASSERT_TRUE(r.channel.send());
    const std::vector<uint8_t> m = r.readMessage();
    EXPECT_EQ(readU32(m.data() + 8), plainSize + 28);
    EXPECT_NE(readU32(m.data() + 16), 0u) << "encryption info must be non-zero";
    const std::string body(m.begin() + 20, m.end());
    EXPECT_EQ(body.find("plain-marker-text"), std::string::npos);
    // Two sends of the same body differ (fresh nonce).
    putSample(r.channel, "plain-marker-text", 100);
    ASSERT_TRUE(r.channel.send());
    const std::vector<uint8_t> again = r.readMessage();
    EXPECT_NE(std::string(again.begin() + 20, again.end()), body);
}

TEST(Encryption, AesDetectsTampering) {
    useTestKey();
    const struct {
        const char* what;
        size_t offset;  // into the whole message
    } cases[] = {
        {"nonce", 20 + 3},  {"ciphertext", 20 + 12 + 5}, {"tag", 0},  // 0: last byte
        {"type", 4},        {"extra", 13},
    };
    for (const auto& c : cases) {
        RawPeer sender(kAes);
        RawPeer receiver(kAes);
        putSample(sender.channel, "tamper me", 64);
        ASSERT_TRUE(sender.channel.send());
        std::vector<uint8_t> m = sender.readMessage();
        std::vector<uint8_t> bad = m;
        bad[c.offset == 0 ? bad.size() - 1 : c.offset] ^= 0x01;
        receiver.net.peerWrite(bad);
        EXPECT_FALSE(receiver.channel.receive()) << c.what;
        EXPECT_EQ(receiver.channel.errorCode(), uint32_t(MESSAGE_DECRYPT_FAILED)) << c.what;
        EXPECT_EQ(receiver.channel.size(), 0u) << c.what;
        EXPECT_TRUE(isValid(&receiver.channel.buffer())) << c.what;
        // Not a lost connection: the untouched message still arrives.
        receiver.net.peerWrite(m);
        ASSERT_TRUE(receiver.channel.receive()) << c.what;
        checkSample(receiver.channel, "tamper me", 64);
    }
}

TEST(Encryption, PeerEncryptingWhileThisSideHasNoPlugInFails106) {
    useTestKey();
    Pair p("", kAes);
    ASSERT_TRUE(p.server.beginRequest(5, 0));
    ASSERT_TRUE(p.server.putLong(1));
    ASSERT_TRUE(p.server.send());
    EXPECT_FALSE(p.client.receive());
    EXPECT_EQ(p.client.errorCode(), uint32_t(MESSAGE_DECRYPT_FAILED));
    // A reply without body carries no encryption and passes.
    ASSERT_TRUE(p.server.beginRequest(5, 0));
    ASSERT_TRUE(p.server.send());
    EXPECT_TRUE(p.client.receive()) << p.client.errorCode();
}

TEST(Encryption, PlainPeerTalkingToAnAesSideFails106) {
    useTestKey();
    Pair p("", kAes);
    ASSERT_TRUE(p.client.beginRequest(requestType(5)));
    ASSERT_TRUE(p.client.putLong(1));
    ASSERT_TRUE(p.client.send());
    EXPECT_FALSE(p.server.receive());
    EXPECT_EQ(p.server.errorCode(), uint32_t(MESSAGE_DECRYPT_FAILED));
}

TEST(Encryption, MissingPlugInConnectsUnencrypted) {
    for (const std::string name : {"no_such_plugin.qex", "/no/such/dir/no_such_plugin.qex",
                                   "C:\\QNET\\no_such_plugin.qex"}) {
        RawPeer r(name);
        EXPECT_FALSE(r.channel.encryptionInUse()) << name;
        EXPECT_EQ(r.channel.buffer().plugin, nullptr) << name;
        ASSERT_TRUE(r.channel.beginRequest(requestType(5)));
        ASSERT_TRUE(r.channel.putString("in the clear"));
        ASSERT_TRUE(r.channel.send());
        const std::vector<uint8_t> m = r.readMessage();
        EXPECT_EQ(readU32(m.data() + 16), 0u);
        EXPECT_NE(std::string(m.begin(), m.end()).find("in the clear"), std::string::npos);
    }
}

TEST(Encryption, PlugInCheck) {
    const struct {
        std::string name;
        bool passes;
    } cases[] = {
        {"", true},
        {kAes, true},
        {"test_xor.qex", true},                      // bare name: the driver's folder
        {"no_such_plugin.qex", false},
        {"test_encrypt_only.qex", false},            // Decrypt missing
        {"/no/such/dir/test_xor.qex", false},        // the check never searches elsewhere
    };
    for (const auto& c : cases) {
        EXPECT_EQ(checkPlugin(c.name), c.passes) << c.name;
    }
}

TEST(Encryption, PlugInWithOnlyEncryptIsNotUsedAtConnect) {
    RawPeer r("test_encrypt_only.qex");
    EXPECT_FALSE(r.channel.encryptionInUse());
    EXPECT_EQ(r.channel.buffer().encrypt, nullptr);
    EXPECT_EQ(r.channel.buffer().plugin, nullptr);
}

TEST(Encryption, ConnectFallsBackToTheLastPartOfAPath) {
    // Not found where named, then found by the system's library search (the
    // test runs with its own folder on the library path).
    for (const std::string name : {"/no/such/dir/test_xor.qex", "C:\\QNET\\test_xor.qex"}) {
        RawPeer r(name);
        EXPECT_TRUE(r.channel.encryptionInUse()) << name;
    }
}

TEST(Encryption, PlugInMayMoveAndResizeTheBlock) {
    Pair p("test_xor.qex", "test_xor.qex");
    // Enough messages to pass the shrink check several times, with sizes that
    // grow the block and let it shrink again.
    for (int i = 0; i < 120; ++i) {
        const size_t binary = (i % 40 == 0) ? 9000 : size_t(i * 13);
        putSample(p.client, "round " + std::to_string(i), binary);
        ASSERT_TRUE(p.client.send()) << i << " " << p.client.errorCode();
        ASSERT_TRUE(p.server.receive()) << i << " " << p.server.errorCode();
        checkSample(p.server, "round " + std::to_string(i), binary);
        EXPECT_GE(p.server.buffer().capacity, p.server.size());
    }
}

TEST(Encryption, FailingPlugInGives105And106AndKeepsAUsableBuffer) {
    for (const char* mode : {"zero", "null", "short"}) {
        ::setenv("QN_TEST_FAILURE", mode, 1);
        RawPeer r("test_failing.qex");
        ASSERT_TRUE(r.channel.encryptionInUse()) << mode;
        const uint32_t capacity = r.channel.buffer().capacity;
        ASSERT_TRUE(r.channel.beginRequest(requestType(5)));
        ASSERT_TRUE(r.channel.putLong(1));
        EXPECT_FALSE(r.channel.send()) << mode;
        EXPECT_EQ(r.channel.errorCode(), uint32_t(MESSAGE_ENCRYPT_FAILED)) << mode;
        EXPECT_STREQ(r.channel.errorText(), "UnknownErrorCode");
        EXPECT_TRUE(isValid(&r.channel.buffer())) << mode;
        EXPECT_EQ(r.channel.buffer().capacity, capacity) << mode;
        EXPECT_EQ(r.channel.size(), 0u) << mode;
        EXPECT_EQ(r.channel.type(), requestType(5)) << mode;
        unsigned char byte;
        EXPECT_EQ(::recv(r.net.peer, &byte, 1, MSG_DONTWAIT), -1) << mode << ": nothing may be sent";

        // A message without body never reaches the plug-in.
        ASSERT_TRUE(r.channel.beginRequest(requestType(9)));
        EXPECT_TRUE(r.channel.send()) << mode;
        const std::vector<uint8_t> m = r.readMessage();
        EXPECT_EQ(readU32(m.data() + 8), 0u);

        r.net.peerWrite(rawMessage(kMessageMagic, 5, 16, 0, 7, std::vector<uint8_t>(16, 1)));
        EXPECT_FALSE(r.channel.receive()) << mode;
        EXPECT_EQ(r.channel.errorCode(), uint32_t(MESSAGE_DECRYPT_FAILED)) << mode;
        EXPECT_TRUE(isValid(&r.channel.buffer())) << mode;
        EXPECT_EQ(r.channel.size(), 0u) << mode;
        r.net.peerWrite(rawMessage(kMessageMagic, 5, 0, 0, 0));
        EXPECT_TRUE(r.channel.receive()) << mode;
    }
    ::unsetenv("QN_TEST_FAILURE");
}

}  // namespace
