// Feeds arbitrary request sequences to one client's session on an in-memory SQLite
// data source. Input: records of [function number: 1 byte][length: 2 bytes][data].
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ExecSession.h"

namespace {

std::vector<uint8_t> item(uint32_t tag, const std::string& payload) {
  std::vector<uint8_t> out(12);
  qn::exec::writeU32(&out[0], 1);
  qn::exec::writeU32(&out[4], tag);
  qn::exec::writeU32(&out[8], uint32_t(payload.size()));
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

int32_t request(int n) { return int32_t(0x80000000u | uint32_t(n)); }

void send(qn::exec::ExecSession& s, int n, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> reply;
  s.handle(request(n), 1 << 20, data.data(), data.size(), reply);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  auto dir = std::filesystem::temp_directory_path() / ("qn-fuzz-requests-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "odbcinst.ini") << "[SQLite3]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\nDontDLClose=1\n";
  std::ofstream(dir / "odbc.ini") << "[qntest]\nDriver=SQLite3\nDatabase=:memory:\n";
  setenv("ODBCSYSINI", dir.c_str(), 1);
  setenv("ODBCINI", (dir / "odbc.ini").c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qn::exec::ExecSession session(qn::exec::Limits{0x1F, 8, 1 << 20});
  // A connected session with one statement (handle 1) on a small table.
  std::vector<uint8_t> connect;
  for (const char* part : {"tsetnq", "", ""}) {  // scrambled "qntest", user, password
    std::string scrambled(part);
    for (char& c : scrambled) c = char(c ^ 0x08);
    auto x = item(0x11104, scrambled);
    connect.insert(connect.end(), x.begin(), x.end());
    auto len = item(0x5, std::string("\xfd\xff", 2));
    connect.insert(connect.end(), len.begin(), len.end());
  }
  send(session, 7, connect);
  send(session, 3, item(0x1208, "\1\0\0\0"));
  auto exec = item(0x8, std::string("\1\0\0\0", 4));
  auto sql = item(0x1104, "create table t(a integer, b text); insert into t values (1, 'x'), (2, null)");
  auto len = item(0x6, std::string("\xfd\xff\xff\xff", 4));
  exec.insert(exec.end(), sql.begin(), sql.end());
  exec.insert(exec.end(), len.begin(), len.end());
  send(session, 11, exec);

  size_t pos = 0;
  while (size - pos >= 3) {
    int function = data[pos];
    size_t length = size_t(data[pos + 1]) | size_t(data[pos + 2]) << 8;
    pos += 3;
    length = std::min(length, size - pos);
    std::vector<uint8_t> reply;
    session.handle(request(function), 1 << 20, data + pos, length, reply);
    pos += length;
  }
  return 0;
}
