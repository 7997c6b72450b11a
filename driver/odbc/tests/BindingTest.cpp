// Binding rules and the bound-data items a request carries, recorded by a fake link.
#include "driver/odbc/Binding.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace qn::odbc;

namespace {

struct Item {
    std::uint32_t index;
    std::uint32_t length;
    std::vector<unsigned char> bytes;
};

// Records the items of a request; replies are not needed here.
class RecordingLink final : public Link {
public:
    std::vector<Item> items;
    std::vector<Item> replies; // read front to back
    bool isOpen() const override { return true; }
    unsigned error() const override { return 0; }
    std::uint32_t maximumSize() const override { return 16384; }
    std::int16_t lastReplyCode() const override { return 0; }
    void setLastReplyCode(std::int16_t) override {}
    bool begin(std::int32_t) override { return true; }
    bool putShort(std::int16_t) override { return true; }
    bool putLong(std::int32_t) override { return true; }
    bool putHandle(ItemTag, std::uint32_t) override { return true; }
    bool putString(const char *, long) override { return true; }
    bool putScrambled(const char *, long) override { return true; }
    bool putBinary(std::uint32_t index, const void *data, std::uint32_t length) override {
        const auto *p = static_cast<const unsigned char *>(data);
        items.push_back({index, length, std::vector<unsigned char>(p, p + length)});
        return true;
    }
    bool putOutput(ItemTag, std::uint32_t, bool, std::uint32_t) override { return true; }
    bool send() override { return false; }
    bool receive() override { return false; }
    std::int16_t replyCode() override { return 0; }
    bool getShort(std::int16_t &) override { return false; }
    bool getLong(std::int32_t &) override { return false; }
    bool getHandle(ItemTag, std::uint32_t &) override { return false; }
    bool getString(char *, std::uint32_t, std::uint32_t &, bool) override { return false; }
    bool getBinary(std::uint32_t index, void *dest, std::uint32_t capacity, std::uint32_t &length) override {
        if (replies.empty() || replies.front().index != index || replies.front().bytes.size() > capacity)
            return false;
        length = static_cast<std::uint32_t>(replies.front().bytes.size());
        std::memcpy(dest, replies.front().bytes.data(), length);
        replies.erase(replies.begin());
        return true;
    }
    std::uint32_t peekIndex() override { return replies.empty() ? 0 : replies.front().index; }
    void detach() override {}
    qn::Channel &channel() override { std::abort(); }

    void reply(std::uint32_t index, const void *data, std::size_t n) {
        const auto *p = static_cast<const unsigned char *>(data);
        replies.push_back({index, static_cast<std::uint32_t>(n), std::vector<unsigned char>(p, p + n)});
    }
    void replyIndicator(std::uint32_t index, std::int32_t value) { reply(index, &value, 4); }
};

struct Fixture {
    Connection conn;
    RecordingLink *link;
    Fixture() {
        auto l = std::make_unique<RecordingLink>();
        link = l.get();
        conn.link = std::move(l);
        conn.connected = true;
    }
};

Binding bind(void *data, SQLLEN length, SQLLEN *ind, SQLSMALLINT cType = SQL_C_CHAR) {
    Binding b;
    b.data = data;
    b.length = length;
    b.indicator = ind;
    b.usable = pointerUsable(data);
    b.cType = cType;
    return b;
}

} // namespace

TEST(Binding, DefaultCTypes) {
    const std::pair<SQLSMALLINT, SQLSMALLINT> cases[] = {
        {SQL_CHAR, SQL_C_CHAR},       {SQL_NUMERIC, SQL_C_CHAR},       {SQL_DECIMAL, SQL_C_CHAR},
        {SQL_VARCHAR, SQL_C_CHAR},    {SQL_LONGVARCHAR, SQL_C_CHAR},   {SQL_BIGINT, SQL_C_CHAR},
        {SQL_INTEGER, SQL_C_SLONG},   {SQL_SMALLINT, SQL_C_SSHORT},    {SQL_FLOAT, SQL_C_DOUBLE},
        {SQL_DOUBLE, SQL_C_DOUBLE},   {SQL_REAL, SQL_C_FLOAT},         {SQL_DATE, SQL_C_DATE},
        {SQL_TIME, SQL_C_TIME},       {SQL_TIMESTAMP, SQL_C_TIMESTAMP}, {SQL_BIT, SQL_C_BIT},
        {SQL_TINYINT, SQL_C_STINYINT}, {SQL_BINARY, SQL_C_BINARY},     {SQL_LONGVARBINARY, SQL_C_BINARY},
    };
    for (auto [sql, c] : cases)
        EXPECT_EQ(defaultCType(sql), c) << sql;
}

TEST(Binding, FixedLengths) {
    const std::pair<SQLSMALLINT, SQLLEN> cases[] = {
        {SQL_C_LONG, 4},  {SQL_C_SLONG, 4},     {SQL_C_ULONG, 4},      {SQL_C_FLOAT, 4},   {SQL_C_SHORT, 2},
        {SQL_C_SSHORT, 2}, {SQL_C_USHORT, 2},   {SQL_C_DOUBLE, 8},     {SQL_C_DATE, 6},    {SQL_C_TIME, 6},
        {SQL_C_TIMESTAMP, 16}, {SQL_C_BIT, 1},  {SQL_C_TINYINT, 1},    {SQL_C_STINYINT, 1}, {SQL_C_UTINYINT, 1},
        {SQL_C_CHAR, 0},  {SQL_C_BINARY, 0},    {SQL_C_WCHAR, 0},
    };
    for (auto [c, len] : cases)
        EXPECT_EQ(fixedLength(c), len) << c;
}

TEST(Binding, PointerCheck) {
    char writable[4] = {'a', 'b', 'c', 0};
    static const char readOnly[] = "constant";
    EXPECT_TRUE(pointerUsable(writable));
    EXPECT_EQ(std::strcmp(writable, "abc"), 0); // the probe leaves the byte as it was
    EXPECT_FALSE(pointerUsable(nullptr));
    EXPECT_FALSE(pointerUsable(reinterpret_cast<void *>(16)));
    EXPECT_FALSE(pointerUsable(readOnly));
}

TEST(Binding, TablesGrowInStepsOfSixteen) {
    std::vector<Binding> table;
    ASSERT_TRUE(ensureBinding(table, 3));
    EXPECT_EQ(table.size(), 16u);
    ASSERT_TRUE(ensureBinding(table, 15));
    EXPECT_EQ(table.size(), 16u);
    ASSERT_TRUE(ensureBinding(table, 40));
    EXPECT_EQ(table.size(), 56u);
}

TEST(Binding, SingleRowItemLengths) {
    char text[20] = "hello";
    SQLINTEGER number = 0x01020304;
    struct Case {
        SQLLEN indicator;
        SQLLEN bufferLength;
        std::uint32_t dataLength; // 0: no data item
    } cases[] = {
        {SQL_NTS, 20, 6}, // string length + 1
        {2, 20, 3},       // indicator + 1
        {30, 20, 20},     // never beyond the buffer
        {SQL_NULL_DATA, 20, 0},
        {SQL_DATA_AT_EXEC, 20, 0},
        {SQL_LEN_DATA_AT_EXEC(10), 20, 0},
    };
    for (const Case &c : cases) {
        Fixture f;
        ErrorRecord rec;
        Request req(f.conn, rec);
        SQLLEN ind = c.indicator;
        std::vector<Binding> table(3);
        table[2] = bind(text, c.bufferLength, &ind);
        ASSERT_TRUE(putBoundItems(req, table, 1));
        ASSERT_EQ(f.link->items.size(), c.dataLength ? 2u : 1u) << c.indicator;
        EXPECT_EQ(f.link->items[0].index, 3u);
        EXPECT_EQ(f.link->items[0].length, 4u);
        std::int32_t sent = 0;
        std::memcpy(&sent, f.link->items[0].bytes.data(), 4);
        EXPECT_EQ(sent, c.indicator);
        if (c.dataLength) {
            EXPECT_EQ(f.link->items[1].length, c.dataLength) << c.indicator;
        }
    }
    // A fixed-size value travels whole whatever its indicator says.
    Fixture f;
    ErrorRecord rec;
    Request req(f.conn, rec);
    SQLLEN ind = 0;
    std::vector<Binding> table(2);
    table[1] = bind(&number, 4, &ind, SQL_C_SLONG);
    ASSERT_TRUE(putBoundItems(req, table, 1));
    ASSERT_EQ(f.link->items.size(), 2u);
    EXPECT_EQ(f.link->items[1].length, 4u);
}

TEST(Binding, RowsetItemsAndNullColumns) {
    Fixture f;
    ErrorRecord rec;
    Request req(f.conn, rec);
    SQLINTEGER values[3] = {1, 2, 3};
    SQLLEN valueInd[3] = {4, 4, 4};
    char names[3][8] = {};
    SQLLEN nullInd[3] = {SQL_NULL_DATA, SQL_NULL_DATA, SQL_NULL_DATA};
    double noIndicator[3] = {};
    std::vector<Binding> table(4);
    table[1] = bind(values, 4, valueInd, SQL_C_SLONG);
    table[2] = bind(names, 8, nullInd);
    table[3] = bind(noIndicator, 8, nullptr, SQL_C_DOUBLE);
    ASSERT_TRUE(putBoundItems(req, table, 3));
    // column 1: indicators + data; column 2: indicators only; column 3: data only.
    ASSERT_EQ(f.link->items.size(), 4u);
    EXPECT_EQ(f.link->items[0].index, 2u);
    EXPECT_EQ(f.link->items[0].length, 12u);
    EXPECT_EQ(f.link->items[1].length, 12u);
    EXPECT_EQ(f.link->items[2].index, 3u);
    EXPECT_EQ(f.link->items[2].length, 12u);
    EXPECT_EQ(f.link->items[3].index, 4u);
    EXPECT_EQ(f.link->items[3].length, 24u);
}

TEST(Binding, UnusableBufferSendsOnlyItsIndicator) {
    Fixture f;
    ErrorRecord rec;
    Request req(f.conn, rec);
    SQLLEN ind = SQL_NULL_DATA;
    std::vector<Binding> table(2);
    table[1] = bind(nullptr, 10, &ind);
    ASSERT_TRUE(putBoundItems(req, table, 1));
    ASSERT_EQ(f.link->items.size(), 1u);
    EXPECT_EQ(f.link->items[0].length, 4u);
}

TEST(Binding, PositionedRowItems) {
    Fixture f;
    ErrorRecord rec;
    Request req(f.conn, rec);
    char names[2][8] = {"first", "second"};
    SQLLEN ind[2] = {SQL_NTS, SQL_NULL_DATA};
    std::vector<Binding> table(2);
    table[1] = bind(names, 8, ind);
    ASSERT_TRUE(putRowItems(req, table, 1));
    ASSERT_TRUE(putRowItems(req, table, 2));
    // Row 1: its indicator and "first" with the terminator; row 2: only the NULL indicator.
    ASSERT_EQ(f.link->items.size(), 3u);
    EXPECT_EQ(f.link->items[1].length, 6u);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(f.link->items[1].bytes.data())), "first");
    std::int32_t sent = 0;
    std::memcpy(&sent, f.link->items[2].bytes.data(), 4);
    EXPECT_EQ(sent, SQL_NULL_DATA);
}

TEST(Binding, WideStringLengthsCountTwoByteUnits) {
    SQLWCHAR text[10] = {'p', 0xE9, 'n', 0};
    struct Case {
        SQLLEN indicator;
        std::uint32_t dataLength;
    } cases[] = {{SQL_NTS, 8}, {6, 8}, {30, 20}};
    for (const Case &c : cases) {
        Fixture f;
        ErrorRecord rec;
        Request req(f.conn, rec);
        SQLLEN ind = c.indicator;
        std::vector<Binding> table(2);
        table[1] = bind(text, sizeof text, &ind, SQL_C_WCHAR);
        ASSERT_TRUE(putBoundItems(req, table, 1));
        ASSERT_EQ(f.link->items.size(), 2u);
        EXPECT_EQ(f.link->items[1].length, c.dataLength) << c.indicator;
    }
    EXPECT_EQ(textBytes(text, sizeof text, true), 6);
    EXPECT_EQ(textBytes(text, 4, true), 4); // no terminator within the buffer: all of it
    EXPECT_EQ(textBytes("abc", 10, false), 3);
}

TEST(Binding, OutputParametersStopWhereTheReplyStops) {
    struct Case {
        const char *name;
        std::vector<int> script; // reply items by index: indicator then data for each
        int expectFirst, expectSecond;
    } cases[] = {
        {"both returned", {2, 3}, 11, 22},
        {"nothing returned", {}, -1, -1},
        {"only the second", {3}, -1, 22},
        {"index beyond the table", {9}, -1, -1},
        {"same index twice", {2, 2}, 11, -1},
    };
    for (const Case &c : cases) {
        Fixture f;
        ErrorRecord rec;
        Request req(f.conn, rec);
        SQLINTEGER first = -1, second = -1;
        SQLLEN firstInd = 0, secondInd = 0;
        std::vector<Binding> table(3);
        table[1] = bind(&first, 4, &firstInd, SQL_C_SLONG);
        table[1].ioType = SQL_PARAM_INPUT_OUTPUT;
        table[2] = bind(&second, 4, &secondInd, SQL_C_SLONG);
        table[2].ioType = SQL_PARAM_OUTPUT;
        for (int index : c.script) {
            const std::int32_t value = index == 2 ? 11 : 22;
            f.link->replyIndicator(static_cast<std::uint32_t>(index), 4);
            f.link->reply(static_cast<std::uint32_t>(index), &value, 4);
        }
        EXPECT_TRUE(readBoundItems(req, table, 1, true)) << c.name;
        EXPECT_EQ(first, c.expectFirst) << c.name;
        EXPECT_EQ(second, c.expectSecond) << c.name;
        EXPECT_FALSE(rec.set) << c.name;
    }
}

TEST(Binding, OutputParameterIntoReadOnlyMemoryStops) {
    Fixture f;
    ErrorRecord rec;
    Request req(f.conn, rec);
    static const SQLINTEGER readOnly = 5;
    SQLLEN ind = 0;
    std::vector<Binding> table(2);
    table[1] = bind(const_cast<SQLINTEGER *>(&readOnly), 4, &ind, SQL_C_SLONG);
    table[1].data = const_cast<SQLINTEGER *>(&readOnly);
    const std::int32_t value = 9;
    f.link->replyIndicator(2, 4);
    f.link->reply(2, &value, 4);
    EXPECT_TRUE(readBoundItems(req, table, 1, true));
    EXPECT_EQ(f.link->replies.size(), 2u) << "nothing was read";
}

TEST(Binding, ColumnItemsMustMatchTheirBinding) {
    struct Case {
        const char *name;
        std::uint32_t index;
        std::size_t dataBytes;
        bool ok;
    } cases[] = {
        {"matching", 2, 8, true},
        {"wrong index", 3, 8, false},
        {"larger than the buffer", 2, 9, false},
    };
    for (const Case &c : cases) {
        Fixture f;
        ErrorRecord rec;
        Request req(f.conn, rec);
        char name[8] = {};
        SQLLEN ind = 0;
        std::vector<Binding> table(2);
        table[1] = bind(name, sizeof name, &ind);
        const std::vector<char> data(c.dataBytes, 'a');
        f.link->replyIndicator(c.index, 7);
        f.link->reply(c.index, data.data(), data.size());
        EXPECT_EQ(readBoundItems(req, table, 1, false), c.ok) << c.name;
        if (!c.ok) {
            EXPECT_EQ(rec.state, "S1001") << c.name;
            EXPECT_EQ(rec.native, 20014) << c.name;
        } else {
            EXPECT_EQ(ind, 7);
        }
    }
}
