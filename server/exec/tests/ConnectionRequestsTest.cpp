#include <algorithm>

#include "TestSupport.h"
#include "requests/ConnectionInfo.h"

namespace qn::exec::test {
namespace {

class ConnectionTest : public SessionTest {};

TEST_F(ConnectionTest, ConnectRepliesWithFunctionBitmapAndInfoBlock) {
  Reply r = reply(req(7), Req().x("qntest").s(-3).x("").s(0).x("").s(0));
  auto bitmap = r.b();
  ASSERT_EQ(bitmap.size(), 100u);
  auto info = r.b();
  ASSERT_EQ(info.size(), 76u);
  EXPECT_TRUE(r.atEnd());
  // Local calls and forwarded calls the back end has; never the manager's own.
  for (int n : {1, 2, 3, 9, 10, 11, 12, 13, 16, 19, 43, 72}) EXPECT_EQ(bitmap[size_t(n)], 1) << n;
  for (int n : {0, 22, 57, 71, 73, 99}) EXPECT_EQ(bitmap[size_t(n)], 0) << n;
  uint32_t mask = Reply::get(info.data());
  EXPECT_NE(mask & 0x800000u, 0u);  // SQL_TXN_CAPABLE answered
  EXPECT_NE(mask & 0x80u, 0u);      // identifier quote character
  EXPECT_NE(info[20], 0);
  EXPECT_EQ(info[21], 0);
}

TEST_F(ConnectionTest, GrantedOptionsDecideWhichBlocksFollowTheConnect) {
  for (uint32_t granted : {0u, 4u, 8u, 12u}) {
    ExecSession other(Limits{granted, 0, 16384});
    std::vector<uint8_t> out;
    Req r = Req().x("qntest").s(-3).x("").s(0).x("").s(0);
    ASSERT_EQ(other.handle(req(7), 0, r.bytes.data(), r.bytes.size(), out), 0);
    Reply rep(out);
    if (granted & 4) {
      EXPECT_EQ(rep.b().size(), 100u);
    }
    if (granted & 8) {
      EXPECT_EQ(rep.b().size(), 76u);
    }
    EXPECT_TRUE(rep.atEnd()) << granted;
  }
}

TEST_F(ConnectionTest, FailedConnectCarriesTheBackEndErrorToRequestTen) {
  EXPECT_EQ(call(req(7), Req().x("nosuchdsn").s(-3).x("").s(0).x("").s(0)), SQL_ERROR);
  std::string state;
  std::string error = firstError(0, &state);
  EXPECT_EQ(state, "IM002");
  EXPECT_NE(error.find("not found"), std::string::npos) << error;
  // Records are handed out once.
  while (!firstError().empty()) {
  }
  EXPECT_EQ(firstError(), "");
}

TEST_F(ConnectionTest, ErrorMessageIsCutToTheCallersCapacity) {
  call(req(7), Req().x("nosuchdsn").s(-3).x("").s(0).x("").s(0));
  Req r;
  r.h(0x9, 1).h(0x7, 1).hstmt(0).out(0x1204, 6).null().out(0x1204, 10).s(10).out(0x1205, 2);
  Reply rep = reply(req(10), r, SQL_SUCCESS_WITH_INFO);
  EXPECT_EQ(rep.t(), "IM002");
  std::string message = rep.t();
  EXPECT_EQ(message.size(), 9u);
  EXPECT_GT(rep.s(), 9);
  EXPECT_TRUE(rep.atEnd());
}

TEST_F(ConnectionTest, StatementLimitIsEnforcedAndFreeingMakesRoom) {
  ExecSession limited(Limits{0xD, 2, 16384});
  auto send = [&](int n, const Req& r, std::vector<uint8_t>* out = nullptr) {
    std::vector<uint8_t> tmp;
    return limited.handle(req(n), 0, r.bytes.data(), r.bytes.size(), out ? *out : tmp);
  };
  ASSERT_EQ(send(7, Req().x("qntest").s(-3).x("").s(0).x("").s(0)), 0);
  std::vector<uint8_t> first;
  EXPECT_EQ(send(3, Req().out(0x1208, 4), &first), 0);
  EXPECT_EQ(send(3, Req().out(0x1208, 4)), 0);
  EXPECT_EQ(send(3, Req().out(0x1208, 4)), SQL_ERROR);
  EXPECT_EQ(limited.statementCount(), 2u);
  Reply r(first);
  uint32_t id = Reply::get(r.expect(0x8).payload.data());
  EXPECT_EQ(send(16, Req().hstmt(id).s(SQL_DROP)), 0);
  EXPECT_EQ(send(3, Req().out(0x1208, 4)), 0);
}

TEST_F(ConnectionTest, DroppedClientFreesEveryBackEndHandle) {
  int before = backend::liveHandles();
  {
    ExecSession client;
    Req c = Req().x("qntest").s(-3).x("").s(0).x("").s(0);
    std::vector<uint8_t> out;
    ASSERT_EQ(client.handle(req(7), 0, c.bytes.data(), c.bytes.size(), out), 0);
    Req a = Req().out(0x1208, 4);
    for (int i = 0; i < 3; ++i) client.handle(req(3), 0, a.bytes.data(), a.bytes.size(), out);
    // An open transaction must not keep the connection alive.
    Req off = Req().s(SQL_AUTOCOMMIT).l(0);
    EXPECT_EQ(client.handle(req(50), 0, off.bytes.data(), off.bytes.size(), out), 0);
    Req ins = Req().hstmt(1).t("create table t(a)").l(17);
    EXPECT_EQ(client.handle(req(11), 0, ins.bytes.data(), ins.bytes.size(), out), 0);
    EXPECT_EQ(backend::liveHandles(), before + 2 + 3);
  }
  EXPECT_EQ(backend::liveHandles(), before);
}

TEST_F(ConnectionTest, DisconnectDropsStatements) {
  connect();
  uint32_t stmt = allocStmt();
  EXPECT_EQ(call(req(9), Req()), 0);
  EXPECT_EQ(session.statementCount(), 0u);
  EXPECT_EQ(call(req(13), Req().hstmt(stmt)), SQL_INVALID_HANDLE);
  connect();  // the same session may connect again
}

TEST_F(ConnectionTest, OnlySafeConnectionOptionsPass) {
  connect();
  struct Case {
    int16_t option;
    bool text;
    int32_t number;
    int16_t code;
  } cases[] = {
      {SQL_AUTOCOMMIT, false, 0, SQL_SUCCESS},
      {SQL_OPT_TRACE, false, 1, SQL_ERROR},         // writes files on the server
      {SQL_OPT_TRACEFILE, true, 0, SQL_ERROR},      // names a file on the server
      {SQL_TRANSLATE_DLL, true, 0, SQL_ERROR},      // loads a library on the server
      {SQL_QUIET_MODE, false, 1, SQL_ERROR},        // a window handle
      {SQL_BIND_TYPE, false, 8, SQL_ERROR},         // row-wise binding
      {SQL_ROWSET_SIZE, false, 0, SQL_ERROR},
      {SQL_AUTOCOMMIT, true, 0, SQL_ERROR},         // a number sent as text
      {int16_t(9999), false, 1, SQL_ERROR},
  };
  for (const auto& c : cases) {
    Req r;
    r.s(c.option);
    if (c.text) r.t("/tmp/x"); else r.l(c.number);
    EXPECT_EQ(call(req(50), r), c.code) << c.option;
    if (c.code == SQL_ERROR) {
      std::string state;
      firstError(0, &state);
      EXPECT_TRUE(state == "S1C00" || state == "S1009") << c.option << " " << state;
    }
  }
  Reply r = reply(req(42), Req().s(SQL_AUTOCOMMIT).out(0x1202, 4));
  EXPECT_EQ(r.b(), (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST_F(ConnectionTest, InformationTypes) {
  connect();
  Reply r = reply(req(45), Req().s(SQL_DBMS_NAME).out(0x1202, 64).s(64).out(0x1205, 2));
  auto name = r.b();
  EXPECT_EQ(std::string(name.begin(), name.end()), "SQLite");
  EXPECT_EQ(r.s(), 6);
  // Handles and addresses of the server never leave it.
  EXPECT_EQ(call(req(45), Req().s(SQL_DRIVER_HSTMT).out(0x1202, 8).s(8).out(0x1205, 2)), SQL_ERROR);
  Reply f = reply(req(44), Req().s(SQL_API_ALL_FUNCTIONS).out(0x1202, 200));
  auto all = f.b();
  ASSERT_EQ(all.size(), 200u);
  EXPECT_EQ(all[13 * 2], 1);
  EXPECT_EQ(all[57 * 2], 0);
}

TEST_F(ConnectionTest, DataSourcesComeInBlocksOfTenNames) {
  Reply r = reply(req(57), Req().t("").t(""));
  std::vector<std::string> names;
  bool ended = false;
  while (!r.atEnd()) {
    auto block = r.b();
    ASSERT_EQ(block.size(), 360u);
    for (size_t at = 0; at < 360 && !ended; at += 36) {
      std::string name(reinterpret_cast<const char*>(&block[at]), strnlen(reinterpret_cast<const char*>(&block[at]), 36));
      ended = name.empty();  // the list ends at the first empty name
      if (!ended) names.push_back(name);
    }
  }
  EXPECT_TRUE(ended);
  std::vector<std::string> expected = {"qntest"};
  if (getenv("QN_TEST_PG_PORT")) expected.push_back("qnpg");
  std::sort(names.begin(), names.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(names, expected);
}

TEST(ConnectionStringFilter, KeepsOnlyTheDataSourceAndCredentials) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"DSN=qntest;UID=a;PWD=b;", "DSN=qntest;UID=a;PWD=b;"},
      {"dsn=qntest;uid=a", "dsn=qntest;uid=a;"},
      {"Dsn=qntest", "Dsn=qntest;"},
      {"UID=a;PWD=b", ""},
      {"DSN=qntest;QNETGETD=0;QNETDD=1", "DSN=qntest;"},
      {"DRIVER=SQLite3;Database=/tmp/x.db", ""},           // no data source of the server's
      {"DSN=a;DRIVER=/tmp/evil.so;Database=/etc/x", "DSN=a;"},
      {"DSN=a;FILEDSN=/etc/x.dsn;SAVEFILE=/tmp/y", "DSN=a;"},
      {"DSN=a;PWD={x;y};", "DSN=a;PWD={x;y};"},
      {"DSNX=a;XDSN=b", ""},
      {";;=x;novalue;", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(filterConnectionString(c.in), c.out) << c.in;
}

TEST_F(ConnectionTest, DriverConnectUsesTheServersDataSource) {
  Req r = Req().x("DSN=qntest;Database=/nonexistent/dir/x.db;QNETGETD=0").s(-3).out(0x1204, 256).s(256).out(0x1205, 2);
  Reply rep = reply(req(41), r);
  EXPECT_EQ(rep.b().size(), 100u);
  EXPECT_EQ(rep.b().size(), 76u);
  EXPECT_TRUE(rep.atEnd());
  std::vector<uint8_t> out;
  EXPECT_EQ(call(req(41), r, &out), SQL_ERROR) << "already connected";
  EXPECT_EQ(call(req(9), Req()), 0);
  EXPECT_EQ(call(req(41), Req().x("DRIVER=SQLite3;Database=/tmp/qn-x.db").s(-3).null().s(0).null()), SQL_ERROR);
  std::string state;
  firstError(0, &state);
  EXPECT_EQ(state, "IM002");
}

TEST_F(ConnectionTest, MalformedRequestsGetAnErrorReply) {
  connect();
  uint32_t stmt = allocStmt();
  struct Case {
    const char* what;
    int32_t type;
    Req request;
  } cases[] = {
      {"no items", req(19), Req()},
      {"string where a handle belongs", req(19), Req().t("x")},
      {"missing length", req(19), Req().hstmt(stmt).t("select 1")},
      {"short of wrong size", req(16), Req().hstmt(stmt).item(1, 0x5, 4, "\1\0\0\0", 4)},
      {"output area without presence", req(18), Req().hstmt(stmt).item(1, 0x1205, 2, "\0\0\0\0", 4)},
      {"unknown request", req(99), Req()},
      {"reply type", 13, Req().hstmt(stmt)},
  };
  for (auto& c : cases) {
    std::vector<uint8_t> out;
    EXPECT_EQ(call(c.type, c.request, &out), SQL_ERROR) << c.what;
    EXPECT_TRUE(out.empty()) << c.what;
  }
  // An item whose length runs past the message.
  Req cut = Req().hstmt(stmt);
  cut.bytes.insert(cut.bytes.end(), {1, 0, 0, 0, 4, 0x11, 0, 0, 0xFF, 0xFF, 0, 0, 'a'});
  EXPECT_EQ(call(req(19), cut), SQL_ERROR);
  std::string state;
  firstError(stmt, &state);
  EXPECT_EQ(state, "08S01");
}

}  // namespace
}  // namespace qn::exec::test
