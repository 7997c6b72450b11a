// The msg* functions on their own: initialisation, sizes, growth and shrink,
// item copies, type rules and the invalid-buffer guard.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "Loopback.h"
#include "driver/wire/MessageBuffer.h"

using namespace qn;

using qn::test::Buffer;

namespace {

TEST(MessageBuffer, InitialiseWritesHeaderAndDefaults) {
    Buffer m;
    const unsigned char expected[20] = {0xBA, 0xDC, 0xCD, 0xAB, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(m.b.block, expected, 20));
    EXPECT_EQ(m.b.data, m.b.block + 20);
    EXPECT_EQ(m.b.capacity, 1024u);
    EXPECT_EQ(m.b.messageCount, 0);
    EXPECT_EQ(m.b.growthFactor, 2u);
    EXPECT_EQ(m.b.shrinkFactor, 4u);
    EXPECT_EQ(m.b.maxSize, 16384u);
    EXPECT_EQ(m.b.status, uint32_t(MESSAGE_OK));
}

TEST(MessageBuffer, SecondInitialiseFailsAndKeepsBlock) {
    Buffer m;
    unsigned char* block = m.b.block;
    EXPECT_EQ(msgInitialize(&m.b), 0);
    EXPECT_EQ(m.b.status, uint32_t(CMESSAGE_INVALID_ARGUMENT));
    EXPECT_EQ(m.b.block, block);
    EXPECT_EQ(msgInitialize(nullptr), 0);
}

TEST(MessageBuffer, DestroyClearsFieldsAndAllowsReinitialise) {
    MessageBuffer b;
    ASSERT_EQ(msgInitialize(&b), 1);
    msgDestroy(&b);
    EXPECT_EQ(b.block, nullptr);
    EXPECT_EQ(b.data, nullptr);
    EXPECT_EQ(b.capacity, 0u);
    EXPECT_EQ(b.maxSize, 0u);
    EXPECT_EQ(b.status, uint32_t(MESSAGE_OK));
    msgDestroy(nullptr);
    EXPECT_EQ(msgInitialize(&b), 1);
    msgDestroy(&b);
}

TEST(MessageBuffer, SetTypeRefusesNoMessageAndKeepsPrevious) {
    Buffer m;
    EXPECT_NE(msgSetType(&m.b, int32_t(0x80000003)), 0);
    EXPECT_NE(msgSetType(&m.b, -1), 0);
    EXPECT_EQ(m.b.status, uint32_t(CMESSAGE_INVALID_ARGUMENT));
    EXPECT_EQ(msgGetType(&m.b), int32_t(0x80000003));
}

TEST(MessageBuffer, InvalidBufferFailsEveryOperationWith303) {
    // A buffer whose block lost its magic, and one never initialised.
    Buffer corrupt;
    corrupt.b.block[0] = 0;
    MessageBuffer fresh;
    for (MessageBuffer* b : {&corrupt.b, &fresh}) {
        unsigned char byte = 7;
        b->status = 0;
        EXPECT_EQ(msgSetType(b, 5), 0);
        EXPECT_EQ(b->status, uint32_t(CMESSAGE_INVALID_ARGUMENT));
        EXPECT_EQ(msgGetType(b), -1);
        EXPECT_EQ(msgSetSize(b, 4), 0);
        EXPECT_EQ(msgGetSize(b), 0u);
        EXPECT_EQ(msgSetExtraData(b, 9), 0u);
        EXPECT_EQ(msgGetExtraData(b), 0u);
        EXPECT_EQ(msgClean(b), 0);
        EXPECT_EQ(msgPutDataItem(b, 0, &byte, 1), 0u);
        EXPECT_EQ(msgGetDataItem(b, 0, &byte, 1), 0u);
        EXPECT_EQ(b->status, uint32_t(CMESSAGE_INVALID_ARGUMENT));
    }
    corrupt.b.block[0] = 0xBA;  // so the destructor frees it as a valid one
    EXPECT_EQ(msgGetType(nullptr), -1);
}

TEST(MessageBuffer, SizeGrowthDoublesOrStopsAtMaximum) {
    struct Case {
        uint32_t size;
        uint32_t capacity;
        uint32_t status;
    };
    const Case cases[] = {
        {100, 1024, MESSAGE_OK},      // fits
        {1024, 1024, MESSAGE_OK},     // exactly fits
        {1025, 2050, MESSAGE_OK},     // grows to twice the size
        {9000, 9000, MESSAGE_OK},     // twice would pass the maximum: the size itself
        {16384, 16384, MESSAGE_OK},   // the maximum
        {16385, 1024, MESSAGE_SIZE_TOO_BIG},
    };
    for (const Case& c : cases) {
        Buffer m;
        m.b.messageCount = 7;
        const int ok = msgSetSize(&m.b, c.size);
        EXPECT_EQ(ok, c.status == MESSAGE_OK ? 1 : 0) << c.size;
        EXPECT_EQ(m.b.status, c.status) << c.size;
        EXPECT_EQ(m.b.capacity, c.capacity) << c.size;
        EXPECT_EQ(msgGetSize(&m.b), c.status == MESSAGE_OK ? c.size : 0u) << c.size;
        EXPECT_EQ(m.b.messageCount, c.capacity > 1024 ? 0 : 7) << c.size;
        if (ok) {
            // The whole grown area is writable (the sanitizer build checks it).
            std::memset(m.b.data, 0x5A, c.size);
        }
    }
}

TEST(MessageBuffer, CleanShrinksOnlyEvery50MessagesAndOnlyWhenFourTimesTooBig) {
    struct Case {
        int32_t count;
        uint32_t grownTo;     // a size that grows the block first (capacity twice that)
        uint32_t sizeBefore;  // the message's size when cleaned
        uint32_t capacityAfter;
        int32_t countAfter;
    };
    const Case cases[] = {
        {49, 8192, 100, 16384, 49},   // not yet the 50th message
        {50, 8192, 100, 4096, 0},     // 16384 >= 4 * 1024: a quarter
        {50, 8192, 4096, 4096, 0},    // 16384 >= 4 * 4096: a quarter
        {50, 8192, 4097, 16384, 0},   // still needed: kept, count restarts
        {50, 300, 300, 1024, 0},      // the initial block is never shrunk
    };
    for (const Case& c : cases) {
        Buffer m;
        ASSERT_EQ(msgSetSize(&m.b, c.grownTo), 1);
        ASSERT_EQ(msgSetSize(&m.b, c.sizeBefore), 1);
        msgSetType(&m.b, 12);
        msgSetExtraData(&m.b, 77);
        setHeaderField(m.b, kOffEncryptionInfo, 0x1234);
        m.b.messageCount = c.count;
        EXPECT_EQ(msgClean(&m.b), 1);
        EXPECT_EQ(m.b.capacity, c.capacityAfter) << c.count << " " << c.sizeBefore;
        EXPECT_EQ(m.b.messageCount, c.countAfter);
        EXPECT_EQ(m.b.status, uint32_t(MESSAGE_OK));
        EXPECT_EQ(msgGetType(&m.b), -1);
        EXPECT_EQ(msgGetSize(&m.b), 0u);
        EXPECT_EQ(msgGetExtraData(&m.b), 0u);
        EXPECT_EQ(headerField(m.b, kOffEncryptionInfo), 0x1234u);
        // The remaining capacity is usable.
        ASSERT_EQ(msgSetSize(&m.b, m.b.capacity), 1);
        std::memset(m.b.data, 0x33, m.b.capacity);
    }
}

TEST(MessageBuffer, PutAndGetDataItemStayInsideTheSize) {
    Buffer m;
    ASSERT_EQ(msgSetSize(&m.b, 8), 1);
    const unsigned char in[4] = {1, 2, 3, 4};
    unsigned char out[4] = {};
    struct Case {
        uint32_t offset;
        uint32_t length;
        bool ok;
    };
    const Case cases[] = {{0, 4, true}, {4, 4, true}, {7, 1, true}, {8, 0, false},
                          {5, 4, false}, {0, 9, false}, {0xFFFFFFF0u, 0x20, false}};
    for (const Case& c : cases) {
        const uint32_t r = msgPutDataItem(&m.b, c.offset, in, c.length);
        EXPECT_EQ(r, c.ok ? c.offset + c.length : c.offset) << c.offset << "+" << c.length;
        EXPECT_EQ(m.b.status, c.ok ? uint32_t(MESSAGE_OK) : uint32_t(CMESSAGE_INVALID_ARGUMENT));
        const uint32_t g = msgGetDataItem(&m.b, c.offset, out, c.length);
        EXPECT_EQ(g, c.ok ? c.offset + c.length : c.offset);
        if (c.ok) {
            EXPECT_EQ(0, std::memcmp(in, out, c.length));
        }
    }
    EXPECT_EQ(msgPutDataItem(&m.b, 0, nullptr, 1), 0u);
    EXPECT_EQ(m.b.status, uint32_t(CMESSAGE_INVALID_ARGUMENT));
    EXPECT_EQ(msgGetDataItem(&m.b, 0, nullptr, 1), 0u);
}

TEST(MessageBuffer, ExtraDataRoundTripsLittleEndian) {
    Buffer m;
    EXPECT_EQ(msgSetExtraData(&m.b, 0x11223344), 0x11223344u);
    EXPECT_EQ(msgGetExtraData(&m.b), 0x11223344u);
    const unsigned char le[4] = {0x44, 0x33, 0x22, 0x11};
    EXPECT_EQ(0, std::memcmp(m.b.block + 12, le, 4));
}

TEST(MessageBuffer, MaximumSizeHasACeiling) {
    Buffer m;
    setMaxSize(m.b, 0xFFFFFFFFu);
    EXPECT_EQ(m.b.maxSize, kMaxSizeCeiling);
    setMaxSize(m.b, 40000);
    EXPECT_EQ(m.b.maxSize, 40000u);
}

}  // namespace
