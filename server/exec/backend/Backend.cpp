#include "backend/Backend.h"

#include <dlfcn.h>

#include <atomic>
#include <mutex>

namespace qn::exec::backend {

namespace {
std::atomic<int> g_live{0};
}

int liveHandles() { return g_live.load(); }

std::vector<DiagRecord> diagnostics(SQLSMALLINT handleType, SQLHANDLE handle) {
  std::vector<DiagRecord> out;
  if (handle == SQL_NULL_HANDLE) return out;
  for (SQLSMALLINT i = 1;; ++i) {
    SQLCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLCHAR text[1024] = {};
    SQLSMALLINT len = 0;
    SQLRETURN rc = SQLGetDiagRec(handleType, handle, i, state, &native, text, sizeof text, &len);
    if (!succeeded(rc)) break;
    out.push_back({reinterpret_cast<char*>(state), native, reinterpret_cast<char*>(text)});
  }
  return out;
}

Handle::~Handle() { release(); }

SQLRETURN Handle::allocate(SQLSMALLINT type, SQLHANDLE parent) {
  release();
  SQLHANDLE h = SQL_NULL_HANDLE;
  SQLRETURN rc = SQLAllocHandle(type, parent, &h);
  if (succeeded(rc)) {
    type_ = type;
    handle_ = h;
    ++g_live;
  }
  return rc;
}

void Handle::release() {
  if (handle_ == SQL_NULL_HANDLE) return;
  SQLFreeHandle(type_, handle_);
  handle_ = SQL_NULL_HANDLE;
  --g_live;
}

Connection::Connection() {
  // The driver manager loads the installer library for each connection and unloads it
  // afterwards, dropping what it cached; keeping it resident saves both.
  static std::once_flag resident;
  std::call_once(resident, [] { dlopen("libodbcinst.so.2", RTLD_NOW | RTLD_NODELETE); });
  if (!succeeded(env_.allocate(SQL_HANDLE_ENV, SQL_NULL_HANDLE))) return;
  // Our clients speak ODBC 2.x, so the back end answers in 2.x states and types.
  SQLSetEnvAttr(env_.get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC2), 0);
  dbc_.allocate(SQL_HANDLE_DBC, env_.get());
}

Connection::~Connection() {
  disconnect(true);
  dbc_.release();
  env_.release();
}

SQLRETURN Connection::connect(const std::string& dsn, const std::string& user,
                              const std::string& password) {
  auto* d = reinterpret_cast<SQLCHAR*>(const_cast<char*>(dsn.data()));
  auto* u = reinterpret_cast<SQLCHAR*>(const_cast<char*>(user.data()));
  auto* p = reinterpret_cast<SQLCHAR*>(const_cast<char*>(password.data()));
  SQLRETURN rc = SQLConnect(dbc_.get(), d, SQLSMALLINT(dsn.size()), user.empty() ? nullptr : u,
                            SQLSMALLINT(user.size()), password.empty() ? nullptr : p,
                            SQLSMALLINT(password.size()));
  connected_ = succeeded(rc);
  return rc;
}

SQLRETURN Connection::driverConnect(const std::string& connectionString) {
  auto* in = reinterpret_cast<SQLCHAR*>(const_cast<char*>(connectionString.data()));
  SQLCHAR out[1024] = {};
  SQLSMALLINT outLen = 0;
  SQLRETURN rc = SQLDriverConnect(dbc_.get(), nullptr, in, SQLSMALLINT(connectionString.size()),
                                  out, sizeof out, &outLen, SQL_DRIVER_NOPROMPT);
  connected_ = succeeded(rc);
  return rc;
}

SQLRETURN Connection::browseConnect(const std::string& input, std::string& output) {
  auto* in = reinterpret_cast<SQLCHAR*>(const_cast<char*>(input.data()));
  std::vector<SQLCHAR> out(4096);
  SQLSMALLINT outLen = 0;
  SQLRETURN rc = SQLBrowseConnect(dbc_.get(), in, SQLSMALLINT(input.size()), out.data(),
                                  SQLSMALLINT(out.size()), &outLen);
  if (succeeded(rc) || rc == SQL_NEED_DATA) output = reinterpret_cast<char*>(out.data());
  if (succeeded(rc)) connected_ = true;
  return rc;
}

SQLRETURN Connection::disconnect(bool force) {
  if (!connected_) return SQL_SUCCESS;
  SQLRETURN rc = SQLDisconnect(dbc_.get());
  if (!succeeded(rc) && force) {
    // An open transaction blocks the disconnect; a dropped client cannot finish it.
    SQLEndTran(SQL_HANDLE_DBC, dbc_.get(), SQL_ROLLBACK);
    rc = SQLDisconnect(dbc_.get());
  }
  connected_ = !succeeded(rc);
  return rc;
}

}  // namespace qn::exec::backend
