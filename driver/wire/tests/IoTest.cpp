// Sending and receiving over real loopback sockets, including a peer that
// breaks the protocol on purpose.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "Loopback.h"
#include "driver/wire/MessageBuffer.h"

using namespace qn;
using qn::test::Buffer;
using qn::test::Loopback;
using qn::test::rawMessage;

namespace {

timeval seconds(long s) {
    timeval tv{};
    tv.tv_sec = s;
    return tv;
}

TEST(MessageIo, SentBytesMatchAHandMadeMessage) {
    Loopback net;
    Buffer m;
    ASSERT_EQ(msgSetType(&m.b, int32_t(0x80000013)), 1);
    msgSetExtraData(&m.b, 0x00004000);
    const unsigned char body[6] = {0x01, 0x02, 0x03, 0xFE, 0xFF, 0x00};
    ASSERT_EQ(msgSetSize(&m.b, 6), 1);
    ASSERT_EQ(msgPutDataItem(&m.b, 0, body, 6), 6u);
    ASSERT_EQ(msgSend(net.client, &m.b), uint32_t(MESSAGE_OK));

    const std::vector<uint8_t> expected = {
        0xBA, 0xDC, 0xCD, 0xAB,  // magic
        0x13, 0x00, 0x00, 0x80,  // type
        0x06, 0x00, 0x00, 0x00,  // size
        0x00, 0x40, 0x00, 0x00,  // extra
        0x00, 0x00, 0x00, 0x00,  // no plug-in: encryption info 0
        0x01, 0x02, 0x03, 0xFE, 0xFF, 0x00};
    EXPECT_EQ(net.peerRead(expected.size()), expected);
    // A successful send leaves the buffer cleaned for the reply.
    EXPECT_EQ(msgGetType(&m.b), -1);
    EXPECT_EQ(msgGetSize(&m.b), 0u);
    EXPECT_EQ(m.b.messageCount, 1);
}

TEST(MessageIo, ReceivesAHandMadeMessage) {
    Loopback net;
    Buffer m;
    net.peerWrite(rawMessage(kMessageMagic, 0x13, 3, 0x0000FFFF, 0, {0xAA, 0xBB, 0xCC}));
    timeval tv = seconds(5);
    ASSERT_EQ(msgReceive(net.client, &m.b, &tv), uint32_t(MESSAGE_OK));
    EXPECT_EQ(msgGetType(&m.b), 0x13);
    EXPECT_EQ(msgGetSize(&m.b), 3u);
    EXPECT_EQ(msgGetExtraData(&m.b), 0xFFFFu);
    EXPECT_EQ(int16_t(msgGetExtraData(&m.b) & 0xFFFF), -1);  // SQL_ERROR as reply code
    unsigned char got[3];
    ASSERT_EQ(msgGetDataItem(&m.b, 0, got, 3), 3u);
    EXPECT_EQ(got[0], 0xAA);
    EXPECT_EQ(got[2], 0xCC);
    EXPECT_EQ(m.b.messageCount, 1);
}

TEST(MessageIo, HostilePeer) {
    enum class Then { Close, StayOpen };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        Then then;
        uint32_t expected;
    };
    const std::vector<uint8_t> header = rawMessage(kMessageMagic, 1, 0, 0, 0);
    const std::vector<uint8_t> nineteen(header.begin(), header.begin() + 19);
    const std::vector<uint8_t> halfBody(50, 0x41);
    const Case cases[] = {
        {"19-byte header", nineteen, Then::Close, MESSAGE_INVALID_FORMAT},
        {"wrong magic", rawMessage(0xABCDDCBB, 1, 0, 0, 0), Then::Close, MESSAGE_INVALID_FORMAT},
        {"magic in host order reversed", rawMessage(0xBADCCDAB, 1, 0, 0, 0), Then::Close, MESSAGE_INVALID_FORMAT},
        {"type -1", rawMessage(kMessageMagic, 0xFFFFFFFF, 0, 0, 0), Then::Close, MESSAGE_INVALID_FORMAT},
        {"closed before anything", {}, Then::Close, MESSAGE_CONNECTION_CLOSED},
        {"closed in the middle of the data", rawMessage(kMessageMagic, 1, 100, 0, 0, halfBody), Then::Close,
         MESSAGE_CONNECTION_CLOSED},
        {"silent", {}, Then::StayOpen, MESSAGE_CONNECTION_CLOSED},
        {"silent in the middle of the data", rawMessage(kMessageMagic, 1, 100, 0, 0, halfBody), Then::StayOpen,
         MESSAGE_CONNECTION_CLOSED},
        {"silent after part of the header", nineteen, Then::StayOpen, MESSAGE_INVALID_FORMAT},
    };
    for (const Case& c : cases) {
        Loopback net;
        Buffer m;
        if (!c.bytes.empty()) net.peerWrite(c.bytes);
        if (c.then == Then::Close) net.closePeer();
        timeval tv = seconds(1);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(msgReceive(net.client, &m.b, &tv), c.expected) << c.what;
        EXPECT_EQ(m.b.status, c.expected) << c.what;
        if (c.then == Then::StayOpen) {
            EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900)) << c.what;
        }
        EXPECT_TRUE(isValid(&m.b)) << c.what;
    }
}

TEST(MessageIo, OversizedMessageIsRefusedWithoutReadingItsData) {
    struct Case {
        uint32_t size;
        uint32_t expected;
    };
    for (const Case& c : {Case{16385, MESSAGE_SIZE_TOO_BIG}, Case{0xFFFFFFFF, MESSAGE_SIZE_TOO_BIG},
                          Case{16384, MESSAGE_OK}}) {
        Loopback net;
        Buffer m;
        std::vector<uint8_t> body(c.size == 16384 ? 16384 : 10, 0x42);
        net.peerWrite(rawMessage(kMessageMagic, 1, c.size, 0, 0, body));
        timeval tv = seconds(2);
        EXPECT_EQ(msgReceive(net.client, &m.b, &tv), c.expected) << c.size;
        if (c.expected == MESSAGE_SIZE_TOO_BIG) {
            unsigned char left[16];
            EXPECT_EQ(::recv(net.client, left, sizeof left, MSG_DONTWAIT), 10) << "data was read";
            EXPECT_EQ(msgGetSize(&m.b), 0u);
        } else {
            EXPECT_EQ(m.b.capacity, 16384u);
            EXPECT_EQ(m.b.data[16383], 0x42);
        }
    }
}

TEST(MessageIo, HeaderArrivingInPiecesIsStillOneMessage) {
    Loopback net;
    Buffer m;
    const std::vector<uint8_t> message = rawMessage(kMessageMagic, 7, 2, 0, 0, {1, 2});
    std::thread peer([&] {
        net.peerWrite({message.begin(), message.begin() + 9});
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        net.peerWrite({message.begin() + 9, message.end()});
    });
    timeval tv = seconds(5);
    EXPECT_EQ(msgReceive(net.client, &m.b, &tv), uint32_t(MESSAGE_OK));
    peer.join();
    EXPECT_EQ(msgGetType(&m.b), 7);
    EXPECT_EQ(msgGetSize(&m.b), 2u);
}

TEST(MessageIo, NoTimeOutWaitsForALatePeer) {
    Loopback net;
    Buffer m;
    std::thread peer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        net.peerWrite(rawMessage(kMessageMagic, 3, 0, 5, 0));
    });
    EXPECT_EQ(msgReceive(net.client, &m.b, nullptr), uint32_t(MESSAGE_OK));
    peer.join();
    EXPECT_EQ(msgGetType(&m.b), 3);
    EXPECT_EQ(msgGetExtraData(&m.b), 5u);
}

TEST(MessageIo, SendingToAClosedPeerReportsALostConnection) {
    Loopback net;
    Buffer m;
    net.closePeer();
    uint32_t status = MESSAGE_OK;
    // The first sends may still be buffered; a reset follows.
    for (int i = 0; i < 20 && status == MESSAGE_OK; ++i) {
        msgSetType(&m.b, int32_t(0x80000005));
        msgSetSize(&m.b, 1000);
        status = msgSend(net.client, &m.b);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(status == WSAECONNRESET || status == WSAECONNABORTED) << status;
    EXPECT_TRUE(isConnectionLost(status));
}

TEST(MessageIo, SendRefusesBadArgumentsAndUnsetType) {
    Loopback net;
    Buffer m;
    EXPECT_EQ(msgSend(-1, &m.b), uint32_t(CMESSAGE_INVALID_ARGUMENT));
    EXPECT_EQ(msgSend(net.client, nullptr), uint32_t(CMESSAGE_INVALID_ARGUMENT));
    EXPECT_EQ(m.b.messageCount, 0);
    EXPECT_EQ(msgSend(net.client, &m.b), uint32_t(MESSAGE_INVALID_FORMAT));  // type is still -1
    EXPECT_EQ(m.b.messageCount, 1);
    EXPECT_EQ(msgReceive(-1, &m.b, nullptr), uint32_t(CMESSAGE_INVALID_ARGUMENT));
    unsigned char probe;
    EXPECT_EQ(::recv(net.peer, &probe, 1, MSG_DONTWAIT), -1) << "nothing may have been sent";
}

TEST(MessageIo, EncipheredMessageWithoutPlugInFailsWith106) {
    Loopback net;
    Buffer m;
    net.peerWrite(rawMessage(kMessageMagic, 9, 4, 0, 0x47434D01, {1, 2, 3, 4}));
    net.peerWrite(rawMessage(kMessageMagic, 9, 0, 0, 0));
    timeval tv = seconds(2);
    EXPECT_EQ(msgReceive(net.client, &m.b, &tv), uint32_t(MESSAGE_DECRYPT_FAILED));
    EXPECT_EQ(msgGetSize(&m.b), 0u);
    // The stream stays in step: the next message is read normally.
    EXPECT_EQ(msgReceive(net.client, &m.b, &tv), uint32_t(MESSAGE_OK));
    EXPECT_EQ(msgGetType(&m.b), 9);
}

}  // namespace
