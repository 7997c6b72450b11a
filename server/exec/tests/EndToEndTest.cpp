// The real server program with this executor, over loopback TCP.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "TestSupport.h"
#include "driver/wire/Items.h"
#include "driver/wire/MessageBuffer.h"
#include "tests/ServerProcess.h"

namespace qn::exec::test {
namespace {

class Client {
 public:
  explicit Client(int port) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(uint16_t(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    msgInitialize(&buffer_);
  }
  ~Client() {
    msgDestroy(&buffer_);
    if (fd_ >= 0) close(fd_);
  }
  bool connected() const { return connected_; }

  // Sends one message and returns the reply's extra value; data receives its items.
  uint32_t exchange(int32_t type, uint32_t extra, const Req& r, std::vector<uint8_t>* data = nullptr) {
    msgClean(&buffer_);
    msgSetType(&buffer_, type);
    msgSetExtraData(&buffer_, extra);
    if (!r.bytes.empty()) {
      msgSetSize(&buffer_, uint32_t(r.bytes.size()));
      msgPutDataItem(&buffer_, 0, r.bytes.data(), uint32_t(r.bytes.size()));
    }
    EXPECT_EQ(msgSend(fd_, &buffer_), qn::MESSAGE_OK);
    timeval wait{10, 0};
    EXPECT_EQ(msgReceive(fd_, &buffer_, &wait), qn::MESSAGE_OK);
    if (data) data->assign(buffer_.data, buffer_.data + msgGetSize(&buffer_));
    return msgGetExtraData(&buffer_);
  }
  int16_t request(int n, const Req& r, std::vector<uint8_t>* data = nullptr) {
    return int16_t(exchange(req(n), 0x4000, r, data) & 0xFFFF);
  }

 private:
  int fd_ = -1;
  bool connected_ = false;
  qn::MessageBuffer buffer_{};
};

TEST(EndToEnd, ServerExecutesRequestsAndSurvivesDroppedClients) {
  OdbcSandbox::instance().freshDatabase();  // the server inherits ODBCSYSINI and ODBCINI
  qn::test::ServerProcess server("MaxStatements = 2\n");
  ASSERT_TRUE(server.started()) << server.log();
  for (int round = 0; round < 2; ++round) {
    Client c(server.port());
    ASSERT_TRUE(c.connected());
    std::vector<uint8_t> data;
    ASSERT_EQ(c.exchange(qn::kHandshakeType, qn::kHandshakeExtra, Req().l(0xD), &data), qn::kHandshakeExtra);
    EXPECT_EQ(c.request(7, Req().x("qntest").s(-3).x("").s(0).x("").s(0), &data), 0) << server.log();
    Reply connectReply(data);
    EXPECT_EQ(connectReply.b().size(), 100u);
    EXPECT_EQ(connectReply.b().size(), 76u);
    EXPECT_EQ(c.request(3, Req().out(0x1208, 4), &data), 0);
    uint32_t stmt = Reply::get(Reply(data).expect(0x8).payload.data());
    EXPECT_EQ(c.request(3, Req().out(0x1208, 4)), 0);
    EXPECT_EQ(c.request(3, Req().out(0x1208, 4)), SQL_ERROR) << "server's statement limit";
    EXPECT_EQ(c.request(11, Req().hstmt(stmt).t("select 40 + 2").l(-3), &data), 0);
    EXPECT_EQ(Reply(data).l(), 1);
    EXPECT_EQ(c.request(13, Req().hstmt(stmt)), 0);
    EXPECT_EQ(c.request(43, Req().hstmt(stmt).s(1).s(SQL_C_SLONG).out(0x1202, 4).l(4).null(), &data), 0);
    Reply value(data);
    auto bytes = value.b();
    ASSERT_EQ(bytes.size(), 4u);
    EXPECT_EQ(Reply::get(bytes.data()), 42u);
    // Leave without disconnecting: the server must free what this client held.
  }
  EXPECT_TRUE(server.running()) << server.log();
}

}  // namespace
}  // namespace qn::exec::test
