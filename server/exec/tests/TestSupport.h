#pragma once
// Test helpers: a private ODBC configuration with a SQLite data source, and request
// messages built byte by byte, independent of the server's own item writer.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ExecSession.h"

namespace qn::exec::test {

constexpr int32_t req(int n) { return int32_t(0x80000000u | uint32_t(n)); }

// ODBCSYSINI/ODBCINI point at a private folder holding one SQLite data source "qntest".
// One per test program: the installer library caches what it read, like a server would.
class OdbcSandbox {
 public:
  static OdbcSandbox& instance() {
    static OdbcSandbox sandbox;
    return sandbox;
  }
  // Every test starts from an empty database.
  void freshDatabase() { std::filesystem::remove(dir_ + "/test.db"); }
  OdbcSandbox(const OdbcSandbox&) = delete;
  OdbcSandbox& operator=(const OdbcSandbox&) = delete;

 private:
  OdbcSandbox() {
    char pattern[] = "/tmp/qn-exec-XXXXXX";
    dir_ = mkdtemp(pattern);
    std::ofstream(dir_ + "/odbcinst.ini")
        << "[SQLite3]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n"
        << "[PostgreSQL]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so\n";
    std::ofstream ini(dir_ + "/odbc.ini");
    ini << "[qntest]\nDriver=SQLite3\nDatabase=" << dir_ << "/test.db\n";
    // A PostgreSQL server for the tests that want one: QN_TEST_PG_PORT on 127.0.0.1.
    if (const char* port = getenv("QN_TEST_PG_PORT")) {
      const char* user = getenv("QN_TEST_PG_USER");
      ini << "[qnpg]\nDriver=PostgreSQL\nServername=127.0.0.1\nPort=" << port
          << "\nDatabase=postgres\nUsername=" << (user ? user : "postgres") << "\n";
    }
    setenv("ODBCSYSINI", dir_.c_str(), 1);
    setenv("ODBCINI", (dir_ + "/odbc.ini").c_str(), 1);
  }
  ~OdbcSandbox() { std::filesystem::remove_all(dir_); }
  std::string dir_;
};

class Req {
 public:
  Req& item(uint32_t index, uint32_t tag, uint32_t length, const void* payload, size_t payloadSize) {
    u32(index);
    u32(tag);
    u32(length);
    const auto* p = static_cast<const uint8_t*>(payload);
    bytes.insert(bytes.end(), p, p + payloadSize);
    return *this;
  }
  Req& s(int16_t v) {
    uint8_t b[2] = {uint8_t(v), uint8_t(uint16_t(v) >> 8)};
    return item(1, 0x5, 2, b, 2);
  }
  Req& l(int32_t v) {
    uint8_t b[4];
    put(b, uint32_t(v));
    return item(1, 0x6, 4, b, 4);
  }
  Req& h(uint32_t tag, uint32_t v) {
    uint8_t b[4];
    put(b, v);
    return item(1, tag, 4, b, 4);
  }
  Req& hstmt(uint32_t v) { return h(0x8, v); }
  Req& t(const std::string& v) { return item(1, 0x1104, uint32_t(v.size()), v.data(), v.size()); }
  // Scrambled by hand: reversed, bit 3 flipped.
  Req& x(const std::string& v) {
    std::string r(v.rbegin(), v.rend());
    for (char& c : r) c = char(c ^ 0x08);
    return item(1, 0x11104, uint32_t(r.size()), r.data(), r.size());
  }
  Req& b(const void* data, size_t n, uint32_t index = 1) {
    return item(index, 0x1102, uint32_t(n), data, n);
  }
  Req& out(uint32_t tag, uint32_t capacity) {
    uint8_t b[4] = {0x78, 0x56, 0x34, 0x12};
    return item(1, tag, capacity, b, 4);
  }
  Req& null() { return item(1, 0x1, 0, nullptr, 0); }
  static void put(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
  }
  std::vector<uint8_t> bytes;

 private:
  void u32(uint32_t v) {
    uint8_t b[4];
    put(b, v);
    bytes.insert(bytes.end(), b, b + 4);
  }
};

// Walks a reply item by item; every accessor checks the item header exactly.
class Reply {
 public:
  explicit Reply(std::vector<uint8_t> data) : data_(std::move(data)) {}
  struct It {
    uint32_t index, tag, length;
    std::vector<uint8_t> payload;
  };
  bool atEnd() const { return pos_ == data_.size(); }
  It next() {
    EXPECT_LE(pos_ + 12, data_.size()) << "reply ends early";
    if (pos_ + 12 > data_.size()) return {0, 0, 0, {}};
    It it{u32(pos_), u32(pos_ + 4), u32(pos_ + 8), {}};
    size_t n = it.length;
    EXPECT_LE(pos_ + 12 + n, data_.size()) << "item runs past the reply";
    n = std::min(n, data_.size() - pos_ - 12);
    it.payload.assign(data_.begin() + long(pos_ + 12), data_.begin() + long(pos_ + 12 + n));
    pos_ += 12 + n;
    return it;
  }
  It expect(uint32_t tag, uint32_t index = 1) {
    It it = next();
    EXPECT_EQ(it.tag, tag);
    EXPECT_EQ(it.index, index);
    return it;
  }
  int16_t s() {
    It it = expect(0x5);
    EXPECT_EQ(it.length, 2u);
    return it.payload.size() == 2 ? int16_t(it.payload[0] | it.payload[1] << 8) : 0;
  }
  int32_t l() {
    It it = expect(0x6);
    EXPECT_EQ(it.length, 4u);
    return it.payload.size() == 4 ? int32_t(get(it.payload.data())) : 0;
  }
  std::string t() {
    It it = expect(0x1104);
    return std::string(it.payload.begin(), it.payload.end());
  }
  std::vector<uint8_t> b(uint32_t index = 1) { return expect(0x1102, index).payload; }
  static uint32_t get(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
  }

 private:
  uint32_t u32(size_t at) const { return get(&data_[at]); }
  std::vector<uint8_t> data_;
  size_t pos_ = 0;
};

// A session on the sandbox's data source with helpers for the common requests.
class SessionTest : public ::testing::Test {
 protected:
  explicit SessionTest(Limits limits = {}) : session((sandbox.freshDatabase(), limits)) {}

  int16_t call(int32_t type, const Req& r, std::vector<uint8_t>* reply = nullptr) {
    std::vector<uint8_t> out;
    int16_t code = active->handle(type, 0x4000, r.bytes.data(), r.bytes.size(), out);
    if (reply) *reply = std::move(out);
    return code;
  }
  Reply reply(int32_t type, const Req& r, int16_t expectedCode = 0) {
    std::vector<uint8_t> out;
    int16_t code = call(type, r, &out);
    EXPECT_EQ(code, expectedCode) << "request " << (type & 0x7FFFFFFF) << ": " << firstError();
    return Reply(out);
  }
  void connect() {
    ASSERT_EQ(call(req(7), Req().x("qntest").s(-3).x("").s(0).x("").s(0)), 0) << firstError();
  }
  uint32_t allocStmt() {
    std::vector<uint8_t> out;
    EXPECT_EQ(call(req(3), Req().out(0x1208, 4), &out), 0) << firstError();
    Reply r(out);
    auto it = r.expect(0x8);
    return it.payload.size() == 4 ? Reply::get(it.payload.data()) : 0;
  }
  int16_t execDirect(uint32_t stmt, const std::string& sql, std::vector<uint8_t>* out = nullptr) {
    return call(req(11), Req().hstmt(stmt).t(sql).l(int32_t(sql.size())), out);
  }
  // The first error of a statement (or of the connection with stmt 0), through request 10.
  std::string firstError(uint32_t stmt = 0, std::string* state = nullptr) {
    Req r;
    r.h(0x9, 1).h(0x7, 1).hstmt(stmt).out(0x1204, 6).out(0x1206, 4).out(0x1204, 512).s(512).out(0x1205, 2);
    std::vector<uint8_t> out;
    if (active->handle(req(10), 0x4000, r.bytes.data(), r.bytes.size(), out) == kNoData) return "";
    Reply rep(out);
    std::string st = rep.t();
    rep.l();
    std::string message = rep.t();
    if (state) *state = st;
    return st + " " + message;
  }

  OdbcSandbox& sandbox = OdbcSandbox::instance();
  ExecSession session;
  ExecSession* active = &session;  // where the helpers send their requests
};

}  // namespace qn::exec::test
