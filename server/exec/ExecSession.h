#pragma once
// One client connection's work on the server: its back-end connection, its
// statements and their error records, and the execution of every request type.
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "backend/Backend.h"
#include "protocol/BoundData.h"
#include "protocol/Items.h"

namespace qn::exec {

// What the handshake agreed with the client.
struct Limits {
  uint32_t grantedOptions = 0x1 | 0x4 | 0x8;
  uint32_t maxStatements = 0;  // 0: no limit beyond kHardStatementLimit
  uint32_t maxMessage = 16384;  // largest reply the client accepts
};

constexpr uint32_t kOptionDescribe = 0x1;
constexpr uint32_t kOptionFunctionBitmap = 0x4;
constexpr uint32_t kOptionInfoBlock = 0x8;
constexpr size_t kHardStatementLimit = 4096;
// Memory all of one client's binding buffers may take on the server.
constexpr size_t kSessionBindingBudget = size_t(256) << 20;
constexpr int16_t kNoData = 100;

using ErrorQueue = std::deque<backend::DiagRecord>;

// What the client learned about one column's SQLGetData calls; kept in step with the
// client so that fetch replies carry exactly the values it will ask for.
struct LearnedColumn {
  int32_t length = 0;  // GetData length
  int16_t cType = SQL_C_CHAR;
  bool cached = false;
  uint32_t offset = 0;
};

enum CacheState : int { kCacheOff = -1, kCacheArmed = 0, kCacheLearning = 1, kCacheActive = 2 };

struct Statement {
  uint32_t id = 0;
  backend::Handle handle;
  BindingTable columns;
  BindingTable params;
  size_t rowsetSize = 1;
  size_t paramsetSize = 1;
  bool rowCounter = false;  // the client registered a row pointer
  SQLULEN processed = 0;
  uint32_t bulkRowset = 0;
  ErrorQueue errors;
  // GetData cache.
  int cacheState = kCacheArmed;
  uint32_t cacheSize = 256;   // limit for the next layout
  int columnCount = 0;        // as the last describe block told the client
  bool localBindings = false;  // the client has bound columns
  std::map<uint16_t, LearnedColumn> learned;
  // Bulk reading: the row layout, fixed at the first block of a result set.
  struct BulkColumn {
    uint16_t number;
    uint32_t offset;
    uint32_t length;
  };
  std::vector<BulkColumn> bulkLayout;
  uint32_t bulkStride = 0;
  // A character value the client sends at execution time, joined here and handed to the
  // back end whole: a back end may size it by the client's buffer length otherwise.
  struct PendingValue {
    bool active = false;
    bool wide = false;
    std::vector<uint8_t> bytes;
  } pending;
  SQLHSTMT h() const { return handle.get(); }
};

// A request naming a statement the connection does not have.
struct InvalidHandle {};

class ExecSession;
using RequestFn = int16_t (*)(ExecSession&, ItemReader&, ItemWriter&);

class ExecSession {
 public:
  explicit ExecSession(Limits limits = {});
  ~ExecSession();
  ExecSession(const ExecSession&) = delete;
  ExecSession& operator=(const ExecSession&) = delete;

  // Executes one request (type with the top bit set) and returns the reply code;
  // reply receives the reply's data items.
  int16_t handle(int32_t type, uint32_t extra, const uint8_t* data, size_t size,
                 std::vector<uint8_t>& reply);

  size_t statementCount() const { return statements_.size(); }
  // Bytes held by the binding buffers of every statement.
  size_t bindingBytes() const;
  // Sizes a binding for n rows within the session's budget (std::bad_alloc beyond it);
  // true when its buffers moved.
  bool reserve(Binding& b, size_t rows) const;
  const Limits& limits() const { return limits_; }
  backend::Connection& backend() { return *backend_; }
  uint32_t maxMessage() const { return maxMessage_; }

  // Helpers for the request families.
  Statement& statement(ItemReader& in);  // reads H; throws InvalidHandle
  Statement* findStatement(uint32_t id);
  Statement& newStatement();
  void dropStatement(uint32_t id);
  void dropAllStatements();
  ErrorQueue& connectionErrors() { return connectionErrors_; }
  // Keeps the back end's diagnostics of a failed or warned call; returns rc.
  int16_t record(SQLRETURN rc, Statement& s);
  int16_t recordConnection(SQLRETURN rc);
  static int16_t fail(ErrorQueue& q, const char* state, const std::string& message);
  bool describeExpected(const Statement& s) const;
  size_t defaultRowsetSize() const { return rowsetSize_; }
  uint32_t defaultBulkRowset() const { return bulkRowset_; }
  void setDefaultBulkRowset(uint32_t n) { bulkRowset_ = n; }
  void setDefaultRowsetSize(size_t n) { rowsetSize_ = n; }

 private:
  Limits limits_;
  std::unique_ptr<backend::Connection> backend_;
  std::map<uint32_t, std::unique_ptr<Statement>> statements_;
  uint32_t nextId_ = 1;
  ErrorQueue connectionErrors_;
  Statement* current_ = nullptr;  // the statement the request in progress named
  size_t rowsetSize_ = 1;
  uint32_t bulkRowset_ = 0;
  uint32_t maxMessage_;
};

// Prefix of errors the server itself raises.
extern const char* const kServerErrorPrefix;

// The request families register their handlers here.
void registerConnectionRequests(std::map<int, RequestFn>& table);
void registerStatementRequests(std::map<int, RequestFn>& table);
void registerResultRequests(std::map<int, RequestFn>& table);
void registerParameterRequests(std::map<int, RequestFn>& table);
void registerPositionRequests(std::map<int, RequestFn>& table);
void registerCatalogRequests(std::map<int, RequestFn>& table);
void registerBulkRequests(std::map<int, RequestFn>& table);

// One column's description, with the name read whole whatever its length.
struct ColumnDescription {
  SQLRETURN rc = SQL_ERROR;
  std::string name;
  SQLSMALLINT sqlType = 0, scale = 0, nullable = 0;
  SQLULEN precision = 0;
};
ColumnDescription describeColumn(Statement& s, SQLUSMALLINT column);

// Shared reply parts.
void writeDescribeBlock(ExecSession& session, Statement& s, ItemWriter& out);
void writeRowCounter(Statement& s, ItemWriter& out);
void writeOutputParameters(Statement& s, ItemWriter& out);
// After execution: describe block, row counter and output parameters on success,
// the row counter alone when data is needed.
void writeExecuteReply(ExecSession& session, Statement& s, int16_t code, ItemWriter& out);
// The GetData cache, run by the same rules as the client's.
void recomputeCache(const ExecSession& session, Statement& s);
void learnGetData(const ExecSession& session, Statement& s, int16_t column, int16_t cType, int32_t length);
// After a successful fetch: advances the cache and appends its block when active.
void cacheStep(const ExecSession& session, Statement& s, ItemWriter& out);
constexpr uint32_t kOptionGetDataCache = 0x2;
constexpr uint32_t kOptionDictionaryCache = 0x10;

// Parameter buffers sized for the parameter set and (re)bound at the back end.
SQLRETURN prepareParameters(ExecSession& session, Statement& s);
// Column buffers sized for n rows and (re)bound at the back end.
SQLRETURN prepareColumns(ExecSession& session, Statement& s, size_t rows);

}  // namespace qn::exec
