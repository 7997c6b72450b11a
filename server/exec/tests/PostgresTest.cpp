// The same requests against PostgreSQL's ODBC driver, when a server is at hand
// (QN_TEST_PG_PORT, and QN_TEST_PG_USER for a user without password).
#include "TestSupport.h"

namespace qn::exec::test {
namespace {

class PostgresTest : public SessionTest {
 protected:
  PostgresTest() : SessionTest(Limits{0x1F, 0, 1 << 20}) {}
  void SetUp() override {
    if (!getenv("QN_TEST_PG_PORT")) GTEST_SKIP() << "no PostgreSQL server (QN_TEST_PG_PORT)";
    ASSERT_EQ(call(req(7), Req().x("qnpg").s(-3).x("").s(0).x("").s(0)), 0) << firstError();
    stmt = allocStmt();
    ASSERT_EQ(execDirect(stmt, "create temporary table item(id integer, name varchar(20))"), 0)
        << firstError(stmt);
  }
  uint32_t stmt = 0;
};

TEST_F(PostgresTest, ParametersDescribeFetchAndCache) {
  ASSERT_EQ(call(req(19), Req().hstmt(stmt).t("insert into item values (?, ?)").l(-3)), 0) << firstError(stmt);
  for (int16_t n : {1, 2}) {
    Req r;
    r.hstmt(stmt).s(n).s(SQL_PARAM_INPUT).s(n == 1 ? SQL_C_SLONG : SQL_C_CHAR).s(n == 1 ? SQL_INTEGER : SQL_VARCHAR);
    r.l(20).s(0).out(0x1202, n == 1 ? 4 : 10).l(n == 1 ? 4 : 10).out(0x1206, 4).s(1);
    ASSERT_EQ(call(req(72), r), 0) << firstError(stmt);
  }
  for (int32_t id : {1, 2, 3}) {
    uint8_t four[4] = {4, 0, 0, 0}, value[4] = {uint8_t(id), 0, 0, 0}, nts[4] = {0xFD, 0xFF, 0xFF, 0xFF};
    Req r;
    r.hstmt(stmt).b(four, 4, 2).b(value, 4, 2).b(nts, 4, 3).b("row\0", 4, 3);
    ASSERT_EQ(call(req(12), r), 0) << firstError(stmt);
  }
  uint32_t q = allocStmt();
  std::vector<uint8_t> out;
  ASSERT_EQ(execDirect(q, "select id, name from item order by id", &out), 0) << firstError(q);
  Reply describe(out);
  EXPECT_EQ(describe.l(), 2);
  auto block = describe.b();
  EXPECT_STREQ(reinterpret_cast<const char*>(block.data()), "id");
  EXPECT_EQ(int16_t(block[72] | block[73] << 8), SQL_INTEGER);
  ASSERT_EQ(call(req(13), Req().hstmt(q)), 0);
  Reply name = reply(req(43), Req().hstmt(q).s(2).s(SQL_C_CHAR).out(0x1202, 10).l(10).out(0x1206, 4));
  EXPECT_EQ(name.l(), 3);
  EXPECT_EQ(name.b(), (std::vector<uint8_t>{'r', 'o', 'w', 0}));
  ASSERT_EQ(call(req(13), Req().hstmt(q), &out), 0);
  Reply second(out);
  auto cache = second.b();
  ASSERT_EQ(cache.size(), 18u);
  EXPECT_EQ(Reply::get(cache.data()), 3u);
  EXPECT_EQ(std::string(cache.begin() + 8, cache.begin() + 11), "row");
}

TEST_F(PostgresTest, ServerErrorsReachRequestTen) {
  EXPECT_EQ(execDirect(stmt, "select * from no_such_table"), SQL_ERROR);
  std::string state;
  std::string error = firstError(stmt, &state);
  EXPECT_FALSE(state.empty());
  EXPECT_NE(error.find("no_such_table"), std::string::npos) << error;
}

}  // namespace
}  // namespace qn::exec::test
