#pragma once
// The server's own ODBC handles on the data sources it serves (through unixODBC).
#include <sql.h>
#include <sqlext.h>

#include <string>
#include <vector>

namespace qn::exec::backend {

// Handles currently allocated by this layer, across all connections.
int liveHandles();

struct DiagRecord {
  std::string state;
  int32_t native = 0;
  std::string message;
};

// Every diagnostic record the back end holds for a handle, in order.
std::vector<DiagRecord> diagnostics(SQLSMALLINT handleType, SQLHANDLE handle);

inline bool succeeded(SQLRETURN rc) { return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO; }

// One owned ODBC handle; freeing it is the destructor's job.
class Handle {
 public:
  Handle() = default;
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle();
  // Allocates a child of parent (SQL_NULL_HANDLE for an environment).
  SQLRETURN allocate(SQLSMALLINT type, SQLHANDLE parent);
  void release();
  SQLHANDLE get() const { return handle_; }
  SQLSMALLINT type() const { return type_; }
  bool valid() const { return handle_ != SQL_NULL_HANDLE; }

 private:
  SQLSMALLINT type_ = 0;
  SQLHANDLE handle_ = SQL_NULL_HANDLE;
};

// Environment plus one connection to a data source; statements hang off it.
class Connection {
 public:
  Connection();
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  bool ready() const { return env_.valid() && dbc_.valid(); }
  SQLRETURN connect(const std::string& dsn, const std::string& user, const std::string& password);
  SQLRETURN driverConnect(const std::string& connectionString);
  SQLRETURN browseConnect(const std::string& input, std::string& output);
  // force rolls back an open transaction first: used when the client is gone.
  SQLRETURN disconnect(bool force = false);
  bool connected() const { return connected_; }
  SQLHDBC dbc() const { return dbc_.get(); }
  SQLHENV env() const { return env_.get(); }

 private:
  Handle env_;
  Handle dbc_;
  bool connected_ = false;
};

}  // namespace qn::exec::backend
