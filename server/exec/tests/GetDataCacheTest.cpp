#include "TestSupport.h"

namespace qn::exec::test {
namespace {

class CacheTest : public SessionTest {
 protected:
  CacheTest() : SessionTest(Limits{0x1F, 0, 1 << 20}) {}
  void SetUp() override {
    connect();
    stmt = allocStmt();
    ASSERT_EQ(execDirect(stmt, "create table item(id integer, name varchar(20))"), 0);
    ASSERT_EQ(execDirect(stmt, "insert into item values (1, 'abc'), (2, NULL), (3, 'hello')"), 0);
  }
  Req getData(int16_t column, int16_t cType, int32_t length) {
    return Req().hstmt(stmt).s(column).s(cType).out(0x1202, uint32_t(length)).l(length).out(0x1206, 4);
  }
  std::vector<uint8_t> fetch() {
    std::vector<uint8_t> out;
    EXPECT_EQ(call(req(13), Req().hstmt(stmt), &out), 0) << firstError(stmt);
    return out;
  }
  struct Entry {
    int32_t indicator;
    int16_t code;
    std::string data;
  };
  static Entry entry(const std::vector<uint8_t>& block, size_t offset, size_t length) {
    EXPECT_LE(offset + 8 + length, block.size());
    if (offset + 8 + length > block.size()) return {};
    return {int32_t(Reply::get(&block[offset])), int16_t(block[offset + 4] | block[offset + 5] << 8),
            std::string(block.begin() + long(offset + 8), block.begin() + long(offset + 8 + length))};
  }
  uint32_t stmt = 0;
};

TEST_F(CacheTest, SecondFetchCarriesTheLearnedColumns) {
  ASSERT_EQ(execDirect(stmt, "select id, name from item order by id"), 0);
  EXPECT_TRUE(fetch().empty()) << "the first row only teaches";
  reply(req(43), getData(2, SQL_C_CHAR, 10));
  reply(req(43), getData(1, SQL_C_SLONG, 4));
  struct Row {
    int32_t id;
    int32_t nameIndicator;
    std::string name;
  } rows[] = {{2, SQL_NULL_DATA, std::string(10, '\0')}, {3, 5, std::string("hello\0\0\0\0\0", 10)}};
  for (const auto& row : rows) {
    Reply r(fetch());
    auto block = r.b();
    EXPECT_TRUE(r.atEnd());
    ASSERT_EQ(block.size(), 4u + 8 + 10 + 8);
    Entry id = entry(block, 0, 4);
    EXPECT_EQ(id.indicator, 4);
    EXPECT_EQ(id.code, 0);
    EXPECT_EQ(Reply::get(reinterpret_cast<const uint8_t*>(id.data.data())), uint32_t(row.id));
    Entry name = entry(block, 12, 10);
    EXPECT_EQ(name.indicator, row.nameIndicator);
    EXPECT_EQ(name.code, 0);
    EXPECT_EQ(name.data, row.name);
  }
  std::vector<uint8_t> out;
  EXPECT_EQ(call(req(13), Req().hstmt(stmt), &out), kNoData);
  EXPECT_TRUE(out.empty());
}

TEST_F(CacheTest, LayoutSkipsColumnsAtOrAboveTheLimit) {
  struct Case {
    const char* what;
    std::vector<std::pair<int16_t, int32_t>> learned;  // column (1 = integer, 2 = text), length
    size_t blockSize;
  } cases[] = {
      {"a long first column is skipped, later ones stay", {{2, 300}, {1, 4}}, 12},
      {"after a placed column a long one ends the layout", {{1, 4}, {2, 300}, {3, 4}}, 12},
      {"exactly the limit is too long", {{2, 256}}, 0},
      {"just below the limit fits", {{2, 255}}, 263},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(call(req(16), Req().hstmt(stmt).s(SQL_DROP)), 0);
    stmt = allocStmt();
    ASSERT_EQ(execDirect(stmt, "select id, name, id + 1 from item order by id"), 0);
    fetch();
    for (auto [column, length] : c.learned)
      call(req(43), getData(column, column == 2 ? SQL_C_CHAR : SQL_C_SLONG, length));
    Reply r(fetch());
    EXPECT_EQ(r.b().size(), c.blockSize) << c.what;
  }
}

TEST_F(CacheTest, TruncatedCachedValueLeavesTheRestOnTheServer) {
  ASSERT_EQ(execDirect(stmt, "select name from item where id = 3 union all select 'xyzzy'"), 0);
  fetch();
  reply(req(43), getData(1, SQL_C_CHAR, 3), SQL_SUCCESS_WITH_INFO);
  Reply r(fetch());
  auto block = r.b();
  Entry e = entry(block, 0, 3);
  EXPECT_EQ(e.indicator, 5);
  EXPECT_EQ(e.code, SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(e.data, std::string("xy\0", 3));
  std::string state;
  firstError(stmt, &state);
  EXPECT_EQ(state, "01004");
  Reply rest = reply(req(43), getData(1, SQL_C_CHAR, 10));
  EXPECT_EQ(rest.l(), 3);
  EXPECT_EQ(rest.b(), (std::vector<uint8_t>{'z', 'z', 'y', 0}));
}

TEST_F(CacheTest, NoCacheWithBoundColumnsOrWithoutTheOption) {
  ASSERT_EQ(execDirect(stmt, "select id from item order by id"), 0);
  Req bind;
  bind.hstmt(stmt).s(1).s(SQL_C_SLONG).out(0x1202, 4).l(4).out(0x1206, 4).s(1);
  ASSERT_EQ(call(req(4), bind), 0);
  fetch();
  call(req(43), getData(1, SQL_C_SLONG, 4));
  Reply r(fetch());
  r.b(2);
  r.b(2);
  EXPECT_TRUE(r.atEnd()) << "column items only";

  ExecSession plain(Limits{0xD, 0, 1 << 20});
  std::vector<uint8_t> out;
  Req c = Req().x("qntest").s(-3).x("").s(0).x("").s(0);
  ASSERT_EQ(plain.handle(req(7), 0, c.bytes.data(), c.bytes.size(), out), 0);
  Req a = Req().out(0x1208, 4);
  ASSERT_EQ(plain.handle(req(3), 0, a.bytes.data(), a.bytes.size(), out), 0);
  Req e = Req().hstmt(1).t("select id from item").l(-3);
  ASSERT_EQ(plain.handle(req(11), 0, e.bytes.data(), e.bytes.size(), out), 0);
  Req f = Req().hstmt(1);
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(plain.handle(req(13), 0, f.bytes.data(), f.bytes.size(), out), 0);
    EXPECT_TRUE(out.empty());
    Req g = Req().hstmt(1).s(1).s(SQL_C_SLONG).out(0x1202, 4).l(4).out(0x1206, 4);
    plain.handle(req(43), 0, g.bytes.data(), g.bytes.size(), out);
  }
}

TEST_F(CacheTest, BindBlockBindsEveryEntryAtOnce) {
  ASSERT_EQ(execDirect(stmt, "select id, name from item order by id"), 0);
  std::vector<uint8_t> table(3 * 36, 0);
  auto entryAt = [&](int n, uint32_t data, uint32_t length, uint32_t indicator, int16_t cType) {
    uint8_t* e = table.data() + n * 36;
    Req::put(e, data);
    Req::put(e + 4, length);
    Req::put(e + 8, indicator);
    Req::put(e + 24, 1);
    e[32] = uint8_t(cType);
    e[33] = uint8_t(uint16_t(cType) >> 8);
  };
  entryAt(1, 0x1000, 4, 0x2000, SQL_C_SLONG);
  entryAt(2, 0x3000, 8, 0, SQL_C_CHAR);
  ASSERT_EQ(call(req(123), Req().hstmt(stmt).s(3).b(table.data(), table.size())), 0) << firstError(stmt);
  Reply r(fetch());
  EXPECT_EQ(r.b(2), (std::vector<uint8_t>{4, 0, 0, 0}));
  EXPECT_EQ(r.b(2), (std::vector<uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(r.b(3), (std::vector<uint8_t>{'a', 'b', 'c', 0, 0, 0, 0, 0}));
  EXPECT_TRUE(r.atEnd());
  EXPECT_EQ(call(req(123), Req().hstmt(stmt).s(4).b(table.data(), table.size())), SQL_ERROR);
}

}  // namespace
}  // namespace qn::exec::test

namespace qn::exec::test {
namespace {

class BulkTest : public CacheTest {
 protected:
  void enableBulk(int32_t rows) {
    ASSERT_EQ(call(req(51), Req().hstmt(stmt).s(int16_t(4287)).l(rows)), 0);
    Reply r = reply(req(46), Req().hstmt(stmt).s(int16_t(4287)).out(0x1202, 4));
    EXPECT_EQ(Reply::get(r.b().data()), uint32_t(rows));
  }
  void bind(int16_t column, int16_t cType, int32_t length) {
    Req r;
    r.hstmt(stmt).s(column).s(cType).out(0x1202, uint32_t(length)).l(length).out(0x1206, 4).s(1);
    ASSERT_EQ(call(req(4), r), 0);
  }
};

TEST_F(BulkTest, BlocksOfBoundRowsWithinTheBudget) {
  struct Case {
    uint32_t maxMessage;
    std::vector<int32_t> blockRows;  // rows per block until the data ends
  } cases[] = {{1 << 20, {3}}, {256 + 2 * 30, {2, 1}}, {256 + 59, {1, 1, 1}}};
  for (const auto& c : cases) {
    ExecSession small(Limits{0xD, 0, c.maxMessage});
    active = &small;
    connect();
    stmt = allocStmt();
    enableBulk(10);
    ASSERT_EQ(execDirect(stmt, "select id, name from item order by id"), 0);
    bind(1, SQL_C_SLONG, 4);
    bind(2, SQL_C_CHAR, 8);
    std::vector<uint8_t> rows;
    for (int32_t expected : c.blockRows) {
      Reply r = reply(req(124), Req().hstmt(stmt).l(10));
      EXPECT_EQ(r.l(), expected) << c.maxMessage;
      auto block = r.b();
      EXPECT_EQ(block.size(), size_t(expected) * 30);
      rows.insert(rows.end(), block.begin(), block.end());
      EXPECT_TRUE(r.atEnd());
    }
    Reply end = reply(req(124), Req().hstmt(stmt).l(10), kNoData);
    EXPECT_EQ(end.l(), 0);
    EXPECT_TRUE(end.b().empty());
    ASSERT_EQ(rows.size(), 90u);
    // Second row: code, then id (indicator, code, data), then a null name.
    const uint8_t* row = rows.data() + 30;
    EXPECT_EQ(row[0] | row[1] << 8, 0);
    Entry id = entry(rows, 30 + 2, 4);
    EXPECT_EQ(id.indicator, 4);
    EXPECT_EQ(Reply::get(reinterpret_cast<const uint8_t*>(id.data.data())), 2u);
    EXPECT_EQ(entry(rows, 30 + 2 + 12, 8).indicator, SQL_NULL_DATA);
    Entry name = entry(rows, 60 + 2 + 12, 8);
    EXPECT_EQ(name.indicator, 5);
    EXPECT_EQ(name.data, std::string("hello\0\0\0", 8));
    active = &session;
  }
}

TEST_F(BulkTest, WithoutBindingsTheLearnedColumnsFormTheRow) {
  enableBulk(10);
  ASSERT_EQ(execDirect(stmt, "select id, name from item order by id"), 0);
  EXPECT_TRUE(fetch().empty());
  reply(req(43), getData(2, SQL_C_CHAR, 6));
  Reply r = reply(req(124), Req().hstmt(stmt).l(10));
  EXPECT_EQ(r.l(), 2);
  auto block = r.b();
  ASSERT_EQ(block.size(), 2u * 16);
  EXPECT_EQ(entry(block, 2, 6).indicator, SQL_NULL_DATA);
  Entry hello = entry(block, 16 + 2, 6);
  EXPECT_EQ(hello.indicator, 5);
  EXPECT_EQ(hello.data, std::string("hello", 6));
}

TEST_F(BulkTest, RefusedWhenNotEnabled) {
  ASSERT_EQ(execDirect(stmt, "select id from item"), 0);
  EXPECT_EQ(call(req(124), Req().hstmt(stmt).l(10)), SQL_ERROR);
}

}  // namespace
}  // namespace qn::exec::test
