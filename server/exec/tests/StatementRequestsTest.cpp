#include "TestSupport.h"

namespace qn::exec::test {
namespace {

class StatementTest : public SessionTest {
 protected:
  void SetUp() override {
    connect();
    stmt = allocStmt();
    ASSERT_EQ(execDirect(stmt, "create table item(id integer, name varchar(20))"), 0) << firstError(stmt);
    ASSERT_EQ(execDirect(stmt, "insert into item values (1, 'abc'), (2, NULL), (3, 'hello')"), 0);
  }
  void bindCol(int16_t column, int16_t cType, int32_t length, bool indicator = true) {
    Req r;
    r.hstmt(stmt).s(column).s(cType).out(0x1202, uint32_t(length)).l(length);
    if (indicator) r.out(0x1206, 4); else r.null();
    r.s(1);
    ASSERT_EQ(call(req(4), r), 0) << firstError(stmt);
  }
  static std::vector<uint8_t> le32(std::initializer_list<int32_t> values) {
    std::vector<uint8_t> out;
    for (int32_t v : values)
      for (int i = 0; i < 4; ++i) out.push_back(uint8_t(uint32_t(v) >> (8 * i)));
    return out;
  }
  static std::vector<uint8_t> bytes(const std::string& s) { return {s.begin(), s.end()}; }
  std::string fetchName(const std::string& sql) {
    uint32_t other = allocStmt();
    EXPECT_EQ(execDirect(other, sql), 0) << firstError(other);
    EXPECT_EQ(call(req(13), Req().hstmt(other)), 0) << firstError(other);
    Reply r = reply(req(43), Req().hstmt(other).s(1).s(SQL_C_CHAR).out(0x1202, 64).l(64).out(0x1206, 4));
    int32_t indicator = r.l();
    if (indicator < 0) return "<null>";
    auto data = r.b();
    return std::string(data.begin(), data.end()).c_str();
  }
  uint32_t stmt = 0;
};

TEST_F(StatementTest, ExecuteRepliesWithTheDescribeBlock) {
  std::vector<uint8_t> out;
  ASSERT_EQ(execDirect(stmt, "select id, name as label from item", &out), 0);
  Reply r(out);
  EXPECT_EQ(r.l(), 2);
  struct Expected {
    const char* name;
    int16_t sqlType;
  } columns[] = {{"id", SQL_INTEGER}, {"label", SQL_VARCHAR}};
  for (const auto& c : columns) {
    auto block = r.b();
    ASSERT_EQ(block.size(), 80u);
    EXPECT_STREQ(reinterpret_cast<const char*>(block.data()), c.name);
    EXPECT_EQ(block[68] | block[69] << 8, 0) << "return code";
    EXPECT_EQ(block[70] | block[71] << 8, int(strlen(c.name)));
    EXPECT_EQ(int16_t(block[72] | block[73] << 8), c.sqlType);
    EXPECT_EQ(block[76] | block[77] << 8, SQL_NULLABLE);
    EXPECT_EQ(block[78], 0);
  }
  EXPECT_TRUE(r.atEnd());
}

TEST_F(StatementTest, LongColumnNamesAreCutButKeepTheirLength) {
  std::string name(70, 'n');
  std::vector<uint8_t> out;
  ASSERT_EQ(execDirect(stmt, "select 1 as " + name, &out), 0);
  Reply r(out);
  EXPECT_EQ(r.l(), 1);
  auto block = r.b();
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.data())), name.substr(0, 63));
  EXPECT_EQ(block[70] | block[71] << 8, 70);
  EXPECT_EQ(block[68] | block[69] << 8, SQL_SUCCESS_WITH_INFO);
  EXPECT_TRUE(r.atEnd());
}

TEST_F(StatementTest, WithoutTheDescribeOptionExecuteRepliesWithNothing) {
  ExecSession plain(Limits{0, 0, 16384});
  std::vector<uint8_t> out;
  Req c = Req().x("qntest").s(-3).x("").s(0).x("").s(0);
  ASSERT_EQ(plain.handle(req(7), 0, c.bytes.data(), c.bytes.size(), out), 0);
  EXPECT_TRUE(out.empty());
  Req a = Req().out(0x1208, 4);
  ASSERT_EQ(plain.handle(req(3), 0, a.bytes.data(), a.bytes.size(), out), 0);
  Req e = Req().hstmt(1).t("select 1").l(8);
  ASSERT_EQ(plain.handle(req(11), 0, e.bytes.data(), e.bytes.size(), out), 0);
  EXPECT_TRUE(out.empty());
}

TEST_F(StatementTest, FetchSendsBoundColumnsAsIndicatorThenData) {
  ASSERT_EQ(execDirect(stmt, "select id, name from item order by id"), 0);
  bindCol(1, SQL_C_SLONG, 0);
  bindCol(2, SQL_C_CHAR, 10);
  struct Row {
    int32_t id;
    int32_t indicator;
    std::string data;  // empty: no data item
  } rows[] = {{1, 3, std::string("abc", 4)}, {2, SQL_NULL_DATA, ""}, {3, 5, std::string("hello", 6)}};
  for (const auto& row : rows) {
    Reply r = reply(req(13), Req().hstmt(stmt));
    EXPECT_EQ(r.b(2), le32({4}));
    EXPECT_EQ(r.b(2), le32({row.id}));
    EXPECT_EQ(r.b(3), le32({row.indicator}));
    if (!row.data.empty()) {
      EXPECT_EQ(r.b(3), bytes(row.data));
    }
    EXPECT_TRUE(r.atEnd()) << row.id;
  }
  std::vector<uint8_t> out;
  EXPECT_EQ(call(req(13), Req().hstmt(stmt), &out), kNoData);
  EXPECT_TRUE(out.empty());
}

TEST_F(StatementTest, UnusableBufferSendsOnlyItsIndicator) {
  ASSERT_EQ(execDirect(stmt, "select name from item where id = 1"), 0);
  Req r;
  r.hstmt(stmt).s(1).s(SQL_C_CHAR).out(0x1202, 10).l(10).out(0x1206, 4).s(0);
  ASSERT_EQ(call(req(4), r), 0);
  Reply rep = reply(req(13), Req().hstmt(stmt));
  EXPECT_EQ(rep.b(2), le32({3}));
  EXPECT_TRUE(rep.atEnd());
}

TEST_F(StatementTest, WideCharacterBindingCarriesUtf16) {
  ASSERT_EQ(execDirect(stmt, "select name from item where id = 1"), 0);
  bindCol(1, SQL_C_WCHAR, 20);
  Reply r = reply(req(13), Req().hstmt(stmt));
  EXPECT_EQ(r.b(2), le32({6}));
  EXPECT_EQ(r.b(2), (std::vector<uint8_t>{'a', 0, 'b', 0, 'c', 0, 0, 0}));
  EXPECT_TRUE(r.atEnd());
}

TEST_F(StatementTest, ExtendedFetchSendsTheWholeRowset) {
  Req opt = Req().hstmt(stmt).s(SQL_ROWSET_SIZE).l(2);
  ASSERT_EQ(call(req(51), opt), 0) << firstError(stmt);
  ASSERT_EQ(execDirect(stmt, "select id from item order by id"), 0);
  bindCol(1, SQL_C_SLONG, 4);
  Reply r = reply(req(59), Req().hstmt(stmt).s(SQL_FETCH_NEXT).l(1).out(0x1206, 4).out(0x1202, 4));
  EXPECT_EQ(r.l(), 2);
  EXPECT_EQ(r.b(), (std::vector<uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(r.b(2), le32({4, 4}));
  EXPECT_EQ(r.b(2), le32({1, 2}));
  EXPECT_TRUE(r.atEnd());
  Reply last = reply(req(59), Req().hstmt(stmt).s(SQL_FETCH_NEXT).l(1).out(0x1206, 4).out(0x1202, 4));
  EXPECT_EQ(last.l(), 1);
  auto status = last.b();
  EXPECT_EQ(status[0], SQL_ROW_SUCCESS);
  EXPECT_EQ(status[2], SQL_ROW_NOROW);
}

TEST_F(StatementTest, GetDataReportsTruncationThroughRequestTen) {
  ASSERT_EQ(execDirect(stmt, "select name from item where id = 3"), 0);
  ASSERT_EQ(call(req(13), Req().hstmt(stmt)), 0);
  Reply r = reply(req(43), Req().hstmt(stmt).s(1).s(SQL_C_CHAR).out(0x1202, 3).l(3).out(0x1206, 4),
                  SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(r.l(), 5);
  EXPECT_EQ(r.b(), bytes(std::string("he", 3)));
  EXPECT_TRUE(r.atEnd());
  std::string state;
  firstError(stmt, &state);
  EXPECT_EQ(state, "01004");
  // The rest of the value comes with the next call.
  Reply rest = reply(req(43), Req().hstmt(stmt).s(1).s(SQL_C_CHAR).out(0x1202, 10).l(10).out(0x1206, 4));
  EXPECT_EQ(rest.l(), 3);
  EXPECT_EQ(rest.b(), bytes(std::string("llo", 4)));
}

TEST_F(StatementTest, GetDataOfNullSendsNoData) {
  ASSERT_EQ(execDirect(stmt, "select name, id from item where id = 2"), 0);
  ASSERT_EQ(call(req(13), Req().hstmt(stmt)), 0);
  Reply r = reply(req(43), Req().hstmt(stmt).s(1).s(SQL_C_CHAR).out(0x1202, 10).l(10).out(0x1206, 4));
  EXPECT_EQ(r.l(), SQL_NULL_DATA);
  EXPECT_TRUE(r.atEnd());
  Reply id = reply(req(43), Req().hstmt(stmt).s(2).s(SQL_C_SLONG).out(0x1202, 4).l(4).null());
  EXPECT_EQ(id.b(), le32({2}));
  EXPECT_TRUE(id.atEnd());
}

TEST_F(StatementTest, DescribeColCutsTheNameToTheCapacity) {
  ASSERT_EQ(execDirect(stmt, "select name as longname from item"), 0);
  Req r;
  r.hstmt(stmt).s(1).out(0x1204, 5).s(5).out(0x1205, 2).out(0x1205, 2).out(0x1206, 4).null().out(0x1205, 2);
  Reply rep = reply(req(8), r, SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(rep.t(), "long");
  EXPECT_EQ(rep.s(), 8);
  EXPECT_EQ(rep.s(), SQL_VARCHAR);
  EXPECT_EQ(rep.l(), 20);
  EXPECT_EQ(rep.s(), SQL_NULLABLE);
  EXPECT_TRUE(rep.atEnd());
}

TEST_F(StatementTest, CountsAndColumnAttributes) {
  ASSERT_EQ(execDirect(stmt, "update item set name = 'x' where id > 1"), 0);
  Reply rows = reply(req(20), Req().hstmt(stmt).out(0x1206, 4));
  EXPECT_EQ(rows.l(), 2);
  ASSERT_EQ(execDirect(stmt, "select id, name from item"), 0);
  Reply cols = reply(req(18), Req().hstmt(stmt).out(0x1205, 2));
  EXPECT_EQ(cols.s(), 2);
  std::vector<uint8_t> none;
  EXPECT_EQ(call(req(18), Req().hstmt(stmt).null(), &none), 0);
  EXPECT_TRUE(none.empty()) << "no count without an output area";
  uint32_t insert = allocStmt();
  ASSERT_EQ(call(req(19), Req().hstmt(insert).t("insert into item values (?, ?)").l(-3)), 0);
  Reply params = reply(req(63), Req().hstmt(insert).out(0x1205, 2));
  EXPECT_EQ(params.s(), 2);
  EXPECT_TRUE(params.atEnd());
  Req attr;
  attr.hstmt(stmt).s(2).s(SQL_COLUMN_NAME).out(0x1204, 32).s(32).out(0x1205, 2).out(0x1206, 4);
  Reply a = reply(req(6), attr);
  EXPECT_EQ(a.t(), "name");
  EXPECT_EQ(a.s(), 4);
  a.l();
  EXPECT_TRUE(a.atEnd());
}

TEST_F(StatementTest, UnknownStatementHandleIsInvalid) {
  for (int n : {4, 5, 8, 11, 12, 13, 16, 19, 43, 48, 49, 59, 68, 72}) {
    std::vector<uint8_t> out;
    EXPECT_EQ(call(req(n), Req().hstmt(stmt + 100), &out), SQL_INVALID_HANDLE) << n;
    EXPECT_TRUE(out.empty());
  }
}

TEST_F(StatementTest, CatalogCallsReplyWithTheDescribeBlock) {
  Reply r = reply(req(54), Req().hstmt(stmt).null().s(0).null().s(0).t("item").s(4).null().s(0));
  EXPECT_EQ(r.l(), 5);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(r.b().size(), 80u);
  EXPECT_TRUE(r.atEnd());
  ASSERT_EQ(call(req(13), Req().hstmt(stmt)), 0);
  Reply name = reply(req(43), Req().hstmt(stmt).s(3).s(SQL_C_CHAR).out(0x1202, 32).l(32).out(0x1206, 4));
  EXPECT_EQ(name.l(), 4);
  EXPECT_EQ(name.b(), bytes(std::string("item", 5)));
  ASSERT_EQ(call(req(16), Req().hstmt(stmt).s(SQL_CLOSE)), 0);
  Reply types = reply(req(47), Req().hstmt(stmt).s(SQL_ALL_TYPES));
  EXPECT_GT(types.l(), 10);
}

TEST_F(StatementTest, StatementOptionsAndCursorNames) {
  Reply rowset = reply(req(46), Req().hstmt(stmt).s(SQL_ROWSET_SIZE).out(0x1202, 4));
  EXPECT_EQ(rowset.b(), le32({1}));
  EXPECT_EQ(call(req(51), Req().hstmt(stmt).s(SQL_ROW_NUMBER).l(1)), SQL_ERROR);
  EXPECT_EQ(call(req(51), Req().hstmt(stmt).s(int16_t(25)).l(0x1000)), SQL_ERROR);  // a pointer
  EXPECT_EQ(call(req(51), Req().hstmt(stmt).s(SQL_ROWSET_SIZE).l(1 << 30)), SQL_ERROR);
  // The back end names cursors itself; a name longer than the capacity is cut.
  uint32_t fresh = allocStmt();
  Reply whole = reply(req(17), Req().hstmt(fresh).out(0x1204, 64).s(64).out(0x1205, 2));
  std::string cursor = whole.t();
  ASSERT_GT(cursor.size(), 2u);
  EXPECT_EQ(whole.s(), int16_t(cursor.size()));
  Reply name = reply(req(17), Req().hstmt(fresh).out(0x1204, 3).s(3).out(0x1205, 2), SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(name.t(), cursor.substr(0, 2));
  EXPECT_EQ(name.s(), int16_t(cursor.size()));
}

}  // namespace
}  // namespace qn::exec::test
