#include "TestSupport.h"

namespace qn::exec::test {
namespace {

std::vector<uint8_t> le32(std::initializer_list<int32_t> values) {
  std::vector<uint8_t> out;
  for (int32_t v : values)
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(uint32_t(v) >> (8 * i)));
  return out;
}

class ParameterTest : public SessionTest {
 protected:
  void SetUp() override {
    connect();
    stmt = allocStmt();
    ASSERT_EQ(execDirect(stmt, "create table item(id integer, name varchar(20))"), 0);
  }
  int16_t bindParam(int16_t number, int16_t cType, int16_t sqlType, int32_t length,
                    int16_t paramType = SQL_PARAM_INPUT, bool usable = true) {
    Req r;
    r.hstmt(stmt).s(number).s(paramType).s(cType).s(sqlType).l(20).s(0).out(0x1202, uint32_t(length));
    r.l(length).out(0x1206, 4).s(usable ? 1 : 0);
    return call(req(72), r);
  }
  // Every row of the table as "id:name" text, in id order.
  std::string rows() {
    uint32_t q = allocStmt();
    EXPECT_EQ(execDirect(q, "select id || ':' || coalesce(name, '<null>') from item order by id"), 0);
    std::string all;
    while (call(req(13), Req().hstmt(q)) == 0) {
      Reply r = reply(req(43), Req().hstmt(q).s(1).s(SQL_C_CHAR).out(0x1202, 64).l(64).out(0x1206, 4));
      r.l();
      auto data = r.b();
      all += std::string(reinterpret_cast<const char*>(data.data())) + ";";
    }
    call(req(16), Req().hstmt(q).s(SQL_DROP));
    return all;
  }
  uint32_t stmt = 0;
};

TEST_F(ParameterTest, ExecuteReadsParameterItemsInPositionOrder) {
  ASSERT_EQ(call(req(19), Req().hstmt(stmt).t("insert into item values (?, ?)").l(-3)), 0);
  ASSERT_EQ(bindParam(1, SQL_C_SLONG, SQL_INTEGER, 0), 0) << firstError(stmt);
  ASSERT_EQ(bindParam(2, SQL_C_CHAR, SQL_VARCHAR, 10), 0) << firstError(stmt);
  struct Case {
    int32_t id;
    int32_t indicator;
    std::string data;  // empty: no data item (the indicator is special)
  } cases[] = {
      {1, SQL_NTS, std::string("xyz", 4)},
      {2, 2, std::string("ab", 3)},
      {3, SQL_NULL_DATA, ""},
      {4, SQL_NTS, "abcdefghij"},  // no terminator inside the buffer
  };
  for (const auto& c : cases) {
    Req r;
    r.hstmt(stmt).b(le32({4}).data(), 4, 2).b(le32({c.id}).data(), 4, 2).b(le32({c.indicator}).data(), 4, 3);
    if (!c.data.empty()) r.b(c.data.data(), c.data.size(), 3);
    std::vector<uint8_t> out;
    ASSERT_EQ(call(req(12), r, &out), 0) << c.id << firstError(stmt);
    Reply rep(out);
    EXPECT_EQ(rep.l(), 0) << "no result columns";
    EXPECT_TRUE(rep.atEnd());
  }
  EXPECT_EQ(rows(), "1:xyz;2:ab;3:<null>;4:abcdefghij;");
}

TEST_F(ParameterTest, MissingOrMisplacedParameterItemsAreRefused) {
  ASSERT_EQ(call(req(19), Req().hstmt(stmt).t("insert into item values (?, ?)").l(-3)), 0);
  ASSERT_EQ(bindParam(1, SQL_C_SLONG, SQL_INTEGER, 0), 0);
  ASSERT_EQ(bindParam(2, SQL_C_CHAR, SQL_VARCHAR, 4), 0);
  Req noData = Req().hstmt(stmt).b(le32({4}).data(), 4, 2);
  Req wrongIndex = Req().hstmt(stmt).b(le32({4}).data(), 4, 3);
  Req tooLong = Req().hstmt(stmt).b(le32({4}).data(), 4, 2).b(le32({1}).data(), 4, 2).b(le32({3}).data(), 4, 3).b("abcdef", 6, 3);
  for (const Req* r : {&noData, &wrongIndex, &tooLong}) EXPECT_EQ(call(req(12), *r), SQL_ERROR);
  EXPECT_EQ(rows(), "");
}

TEST_F(ParameterTest, DataAtExecutionNamesTheParameterByToken) {
  ASSERT_EQ(call(req(19), Req().hstmt(stmt).t("insert into item values (?, ?)").l(-3)), 0);
  ASSERT_EQ(bindParam(1, SQL_C_SLONG, SQL_INTEGER, 0), 0);
  ASSERT_EQ(bindParam(2, SQL_C_CHAR, SQL_LONGVARCHAR, 10), 0);
  Req r;
  r.hstmt(stmt).b(le32({4}).data(), 4, 2).b(le32({7}).data(), 4, 2).b(le32({SQL_LEN_DATA_AT_EXEC(5)}).data(), 4, 3);
  std::vector<uint8_t> out;
  ASSERT_EQ(call(req(12), r, &out), SQL_NEED_DATA) << firstError(stmt);
  EXPECT_TRUE(out.empty()) << "no row counter registered";
  Reply token = reply(req(48), Req().hstmt(stmt).out(0x1206, 4), SQL_NEED_DATA);
  EXPECT_EQ(token.l(), 0x20002);
  EXPECT_TRUE(token.atEnd());
  EXPECT_EQ(call(req(49), Req().hstmt(stmt).b("hel", 3).l(3)), 0) << firstError(stmt);
  EXPECT_EQ(call(req(49), Req().hstmt(stmt).b("lo", 2).l(SQL_NTS)), 0) << firstError(stmt);
  Reply done = reply(req(48), Req().hstmt(stmt).out(0x1206, 4));
  EXPECT_EQ(done.l(), 0);
  EXPECT_TRUE(done.atEnd());
  EXPECT_EQ(rows(), "7:hello;");
}

// Character values sent at execution time are kept whole however small the client's buffer.
TEST_F(ParameterTest, DataAtExecutionIsNotCutToTheClientBuffer) {
  const std::string value = "a lot of forty characters sent in three";
  ASSERT_EQ(call(req(19), Req().hstmt(stmt).t("insert into item values (?, ?)").l(-3)), 0);
  ASSERT_EQ(bindParam(1, SQL_C_SLONG, SQL_INTEGER, 0), 0);
  ASSERT_EQ(bindParam(2, SQL_C_CHAR, SQL_VARCHAR, 4), 0);
  struct Chunk {
    std::string bytes;
    int32_t length;
  };
  struct Case {
    int32_t indicator;
    std::vector<Chunk> chunks;
    std::string stored;
  } cases[] = {
      {SQL_DATA_AT_EXEC, {{value.substr(0, 9), 9}, {value.substr(9, 20), SQL_NTS}, {value.substr(29), 10}}, value},
      {SQL_LEN_DATA_AT_EXEC(39), {{value.substr(0, 20), 20}, {value.substr(20), 19}}, value},
      // Announced shorter than sent: what arrives counts.
      {SQL_LEN_DATA_AT_EXEC(3), {{"abcd", 4}, {"efgh", 4}}, "abcdefgh"},
      // A terminator the client counted in its last chunk is not part of the value.
      {SQL_DATA_AT_EXEC, {{"hello ", 6}, {std::string("world", 6), 6}}, "hello world"},
  };
  std::string expected;
  int32_t id = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    ++id;
    Req r;
    r.hstmt(stmt).b(le32({4}).data(), 4, 2).b(le32({id}).data(), 4, 2).b(le32({c.indicator}).data(), 4, 3);
    ASSERT_EQ(call(req(12), r), SQL_NEED_DATA) << firstError(stmt);
    EXPECT_EQ(reply(req(48), Req().hstmt(stmt).out(0x1206, 4), SQL_NEED_DATA).l(), 0x20002);
    for (const auto& chunk : c.chunks)
      EXPECT_EQ(call(req(49), Req().hstmt(stmt).b(chunk.bytes.data(), chunk.bytes.size()).l(chunk.length)), 0)
          << firstError(stmt);
    EXPECT_EQ(call(req(48), Req().hstmt(stmt).out(0x1206, 4)), 0) << firstError(stmt);
    expected += std::to_string(id) + ":" + c.stored + ";";
  }
  EXPECT_EQ(rows(), expected);
}

TEST_F(ParameterTest, CancelledDataAtExecutionLeavesNothingBehind) {
  ASSERT_EQ(call(req(19), Req().hstmt(stmt).t("insert into item values (?, ?)").l(-3)), 0);
  ASSERT_EQ(bindParam(1, SQL_C_SLONG, SQL_INTEGER, 0), 0);
  ASSERT_EQ(bindParam(2, SQL_C_CHAR, SQL_VARCHAR, 4), 0);
  Req r;
  r.hstmt(stmt).b(le32({4}).data(), 4, 2).b(le32({5}).data(), 4, 2).b(le32({SQL_DATA_AT_EXEC}).data(), 4, 3);
  ASSERT_EQ(call(req(12), r), SQL_NEED_DATA) << firstError(stmt);
  ASSERT_EQ(call(req(48), Req().hstmt(stmt).out(0x1206, 4)), SQL_NEED_DATA);
  EXPECT_EQ(call(req(49), Req().hstmt(stmt).b("stale", 5).l(5)), 0);
  EXPECT_EQ(call(req(5), Req().hstmt(stmt)), 0) << firstError(stmt);
  ASSERT_EQ(call(req(12), r), SQL_NEED_DATA) << firstError(stmt);
  ASSERT_EQ(call(req(48), Req().hstmt(stmt).out(0x1206, 4)), SQL_NEED_DATA);
  EXPECT_EQ(call(req(49), Req().hstmt(stmt).b("fresh", 5).l(5)), 0);
  EXPECT_EQ(call(req(48), Req().hstmt(stmt).out(0x1206, 4)), 0) << firstError(stmt);
  EXPECT_EQ(rows(), "5:fresh;");
}

TEST_F(ParameterTest, RegisteredRowCounterFollowsExecution) {
  ASSERT_EQ(call(req(64), Req().hstmt(stmt).l(1).out(0x1206, 4)), 0) << firstError(stmt);
  std::vector<uint8_t> out;
  ASSERT_EQ(execDirect(stmt, "insert into item values (1, 'a')", &out), 0);
  Reply r(out);
  EXPECT_EQ(r.l(), 0);
  EXPECT_EQ(r.l(), 1) << "row counter";
  EXPECT_TRUE(r.atEnd());
}

TEST_F(ParameterTest, ParameterArraysInsertEveryRow) {
  ASSERT_EQ(call(req(64), Req().hstmt(stmt).l(3).out(0x1206, 4)), 0) << firstError(stmt);
  ASSERT_EQ(call(req(19), Req().hstmt(stmt).t("insert into item values (?, ?)").l(-3)), 0);
  ASSERT_EQ(bindParam(1, SQL_C_SLONG, SQL_INTEGER, 0), 0);
  ASSERT_EQ(bindParam(2, SQL_C_CHAR, SQL_VARCHAR, 4), 0);
  Req r;
  r.hstmt(stmt).b(le32({4, 4, 4}).data(), 12, 2).b(le32({1, 2, 3}).data(), 12, 2);
  r.b(le32({SQL_NTS, 1, SQL_NULL_DATA}).data(), 12, 3).b("ab\0\0cd\0\0\0\0\0\0", 12, 3);
  std::vector<uint8_t> out;
  ASSERT_EQ(call(req(12), r, &out), 0) << firstError(stmt);
  Reply rep(out);
  EXPECT_EQ(rep.l(), 0);
  EXPECT_EQ(rep.l(), 3);
  EXPECT_EQ(rows(), "1:ab;2:c;3:<null>;");
}

TEST_F(ParameterTest, BindingRulesRefuseBadNumbersAndTypes) {
  EXPECT_EQ(bindParam(0, SQL_C_CHAR, SQL_VARCHAR, 4), SQL_ERROR);
  EXPECT_EQ(bindParam(1, SQL_C_CHAR, SQL_VARCHAR, 4, 3), SQL_ERROR);
  EXPECT_EQ(bindParam(1, SQL_C_CHAR, SQL_VARCHAR, 1 << 30), SQL_ERROR);  // more than we hold
  std::string state;
  firstError(stmt, &state);
  EXPECT_EQ(state, "S1001");
}

TEST_F(ParameterTest, BindingBuffersOfOneClientHaveABudget) {
  // Each binding alone is allowed; together they would hold more than the budget.
  const int32_t length = int32_t(kMaxBindingBytes) - 1024;
  size_t allowed = kSessionBindingBudget / size_t(length);
  for (size_t i = 1; i <= allowed; ++i) ASSERT_EQ(bindParam(int16_t(i), SQL_C_BINARY, SQL_BINARY, length), 0) << i;
  EXPECT_EQ(bindParam(int16_t(allowed + 1), SQL_C_BINARY, SQL_BINARY, length), SQL_ERROR);
  std::string state;
  firstError(stmt, &state);
  EXPECT_EQ(state, "S1001");
  // Rebinding one of them replaces its buffer instead of adding to the total.
  EXPECT_EQ(bindParam(1, SQL_C_BINARY, SQL_BINARY, 16), 0);
  EXPECT_EQ(bindParam(int16_t(allowed + 1), SQL_C_BINARY, SQL_BINARY, 16), 0);
}

TEST(OutputParameters, EverythingUpToTheLastOutputGoesBack) {
  Statement st;
  auto add = [&](uint16_t n, int16_t type, int32_t sent, SQLLEN now, const char* data) {
    Binding b;
    b.hasData = b.hasIndicator = true;
    b.paramType = type;
    b.bufferLength = 4;
    b.reserveRows(1);
    b.sent[0] = sent;
    b.indicators[0] = now;
    std::memcpy(b.data.data(), data, 4);
    st.params[n] = std::move(b);
  };
  add(1, SQL_PARAM_INPUT, SQL_NTS, 2, "ab\0\0");
  add(2, SQL_PARAM_OUTPUT, 0, 3, "xyz\0");
  add(3, SQL_PARAM_INPUT, 1, 1, "q\0\0\0");
  std::vector<uint8_t> bytes;
  ItemWriter w(bytes);
  writeOutputParameters(st, w);
  Reply r(bytes);
  EXPECT_EQ(r.b(2), le32({SQL_NTS})) << "input values return as they came";
  EXPECT_EQ(r.b(2), (std::vector<uint8_t>{'a', 'b', 0}));
  EXPECT_EQ(r.b(3), le32({3}));
  EXPECT_EQ(r.b(3), (std::vector<uint8_t>{'x', 'y', 'z', 0}));
  EXPECT_TRUE(r.atEnd()) << "nothing after the last output parameter";

  Statement inputsOnly;
  inputsOnly.params[1] = st.params[1];
  std::vector<uint8_t> none;
  ItemWriter w2(none);
  writeOutputParameters(inputsOnly, w2);
  EXPECT_TRUE(none.empty());
}

TEST_F(ParameterTest, SetPosChecksTheRowAgainstTheRowset) {
  ASSERT_EQ(call(req(51), Req().hstmt(stmt).s(SQL_ROWSET_SIZE).l(2)), 0);
  struct Case {
    int16_t row, operation;
    bool rangeError;
  } cases[] = {{3, SQL_POSITION, true}, {3, SQL_REFRESH, true}, {-1, SQL_POSITION, true},
               {3, SQL_ADD, false},     {2, SQL_POSITION, false}, {4, SQL_ADD, true}};
  for (const auto& c : cases) {
    call(req(68), Req().hstmt(stmt).s(c.row).s(c.operation).s(SQL_LOCK_NO_CHANGE));
    std::string state;
    firstError(stmt, &state);
    EXPECT_EQ(state == "S1107", c.rangeError) << c.row << "/" << c.operation << " " << state;
  }
}

}  // namespace
}  // namespace qn::exec::test
