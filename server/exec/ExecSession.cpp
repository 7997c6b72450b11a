#include "ExecSession.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace qn::exec {

const char* const kServerErrorPrefix = "[Harrow Bay][Quill Net Server]";

namespace {

const std::map<int, RequestFn>& dispatchTable() {
  static const std::map<int, RequestFn> table = [] {
    std::map<int, RequestFn> t;
    registerConnectionRequests(t);
    registerStatementRequests(t);
    registerResultRequests(t);
    registerParameterRequests(t);
    registerPositionRequests(t);
    registerCatalogRequests(t);
    registerBulkRequests(t);
    return t;
  }();
  return table;
}

}  // namespace

ExecSession::ExecSession(Limits limits)
    : limits_(limits), backend_(std::make_unique<backend::Connection>()), maxMessage_(limits.maxMessage) {}

ExecSession::~ExecSession() {
  // Statements go before their connection: the back end frees children first.
  dropAllStatements();
  backend_.reset();
}

int16_t ExecSession::fail(ErrorQueue& q, const char* state, const std::string& message) {
  q.push_back({state, 0, std::string(kServerErrorPrefix) + message});
  return SQL_ERROR;
}

int16_t ExecSession::handle(int32_t type, uint32_t extra, const uint8_t* data, size_t size,
                            std::vector<uint8_t>& reply) {
  reply.clear();
  current_ = nullptr;
  // A request carries its sender's maximum size; the reply must respect it too.
  maxMessage_ = extra > 32 ? std::min(extra, limits_.maxMessage) : limits_.maxMessage;
  int function = int(uint32_t(type) & 0x7FFFFFFFu);
  const auto& table = dispatchTable();
  auto found = table.find(function);
  ItemReader in(data, size);
  ItemWriter out(reply);
  int16_t code;
  try {
    if (type >= 0 || found == table.end()) {
      code = fail(connectionErrors_, "S1000", "Request type not supported by the server.");
    } else {
      code = found->second(*this, in, out);
    }
  } catch (const MalformedRequest&) {
    reply.clear();
    code = fail(current_ ? current_->errors : connectionErrors_, "08S01",
                "Malformed request received by the server.");
  } catch (const InvalidHandle&) {
    reply.clear();
    code = SQL_INVALID_HANDLE;
  } catch (const std::bad_alloc&) {
    reply.clear();
    code = fail(current_ ? current_->errors : connectionErrors_, "S1001",
                "Unable to allocate memory on the server.");
  }
  if (reply.size() > maxMessage_) {
    reply.clear();
    code = fail(current_ ? current_->errors : connectionErrors_, "S1000",
                "The reply is larger than the maximum message size.");
  }
  return code;
}

namespace {
size_t heldBy(const BindingTable& table) {
  size_t n = 0;
  for (const auto& [number, b] : table)
    n += b.data.size() + b.indicators.size() * sizeof(SQLLEN) + b.sent.size() * sizeof(int32_t);
  return n;
}
}  // namespace

size_t ExecSession::bindingBytes() const {
  size_t n = 0;
  for (const auto& [id, s] : statements_)
    n += heldBy(s->columns) + heldBy(s->params) + s->pending.bytes.size();
  return n;
}

bool ExecSession::reserve(Binding& b, size_t rows) const {
  if (rows <= b.rows && !b.data.empty()) return false;
  size_t perRow = b.stride() + sizeof(SQLLEN) + sizeof(int32_t);
  if (b.stride() && rows > kMaxBindingBytes / b.stride()) throw std::bad_alloc();
  if (bindingBytes() + rows * perRow > kSessionBindingBudget) throw std::bad_alloc();
  return b.reserveRows(rows);
}

Statement& ExecSession::statement(ItemReader& in) {
  Statement* s = findStatement(in.getHandle(tag::Hstmt));
  if (!s) throw InvalidHandle{};
  current_ = s;
  s->errors.clear();
  return *s;
}

Statement* ExecSession::findStatement(uint32_t id) {
  auto it = statements_.find(id);
  return it == statements_.end() ? nullptr : it->second.get();
}

Statement& ExecSession::newStatement() {
  auto s = std::make_unique<Statement>();
  s->id = nextId_++;
  if (nextId_ == 0) nextId_ = 1;
  s->rowsetSize = rowsetSize_;
  s->bulkRowset = bulkRowset_;
  Statement& ref = *s;
  statements_[ref.id] = std::move(s);
  return ref;
}

void ExecSession::dropStatement(uint32_t id) {
  if (current_ && current_->id == id) current_ = nullptr;
  statements_.erase(id);
}

void ExecSession::dropAllStatements() {
  current_ = nullptr;
  statements_.clear();
}

int16_t ExecSession::record(SQLRETURN rc, Statement& s) {
  if (rc != SQL_SUCCESS && rc != SQL_NEED_DATA && rc != SQL_NO_DATA) {
    for (auto& d : backend::diagnostics(SQL_HANDLE_STMT, s.h())) s.errors.push_back(d);
  }
  return int16_t(rc);
}

int16_t ExecSession::recordConnection(SQLRETURN rc) {
  if (rc != SQL_SUCCESS && rc != SQL_NEED_DATA && rc != SQL_NO_DATA) {
    for (auto& d : backend::diagnostics(SQL_HANDLE_DBC, backend_->dbc()))
      connectionErrors_.push_back(d);
  }
  return int16_t(rc);
}

bool ExecSession::describeExpected(const Statement& s) const {
  return (limits_.grantedOptions & kOptionDescribe) || s.bulkRowset != 0;
}

ColumnDescription describeColumn(Statement& s, SQLUSMALLINT column) {
  // Some back ends cut a long name silently and report the cut length, so the name
  // is read into a buffer long enough for any identifier and measured here.
  ColumnDescription d;
  std::vector<SQLCHAR> name(4096, 0);
  SQLSMALLINT length = 0;
  d.rc = SQLDescribeCol(s.h(), column, name.data(), SQLSMALLINT(name.size()), &length, &d.sqlType,
                        &d.precision, &d.scale, &d.nullable);
  if (backend::succeeded(d.rc)) {
    d.name = reinterpret_cast<char*>(name.data());
    d.rc = SQL_SUCCESS;
  }
  return d;
}

void writeDescribeBlock(ExecSession& session, Statement& s, ItemWriter& out) {
  s.columnCount = 0;
  s.bulkLayout.clear();
  if (!session.describeExpected(s)) {
    recomputeCache(session, s);
    return;
  }
  SQLSMALLINT count = 0;
  if (!backend::succeeded(SQLNumResultCols(s.h(), &count)) || count < 0) count = 0;
  s.columnCount = count;
  recomputeCache(session, s);
  out.putLong(count);
  for (SQLUSMALLINT col = 1; col <= SQLUSMALLINT(count); ++col) {
    uint8_t block[80] = {};
    ColumnDescription d = describeColumn(s, col);
    size_t kept = std::min<size_t>(d.name.size(), 63);
    std::memcpy(block, d.name.data(), kept);
    SQLRETURN rc = d.rc == SQL_SUCCESS && kept < d.name.size() ? SQL_SUCCESS_WITH_INFO : d.rc;
    writeU32(block + 64, d.precision > 0xFFFFFFFFu ? 0xFFFFFFFFu : uint32_t(d.precision));
    writeU16(block + 68, uint16_t(int16_t(rc)));
    writeU16(block + 70, uint16_t(std::min<size_t>(d.name.size(), 32767)));
    writeU16(block + 72, uint16_t(d.sqlType));
    writeU16(block + 74, uint16_t(d.scale));
    writeU16(block + 76, uint16_t(d.nullable));
    out.putBinary(block, sizeof block);
  }
}

void writeRowCounter(Statement& s, ItemWriter& out) {
  if (s.rowCounter) out.putLong(int32_t(s.processed));
}

void writeOutputParameters(Statement& s, ItemWriter& out) {
  // The client reads parameter items in position order, so everything up to the last
  // output parameter goes back; input values return exactly as they came.
  uint16_t last = 0;
  for (auto& [number, b] : s.params)
    if (b.paramType == SQL_PARAM_OUTPUT || b.paramType == SQL_PARAM_INPUT_OUTPUT) last = number;
  if (last == 0) return;
  for (auto& [number, b] : s.params) {
    if (number > last) break;
    bool output = b.paramType == SQL_PARAM_OUTPUT || b.paramType == SQL_PARAM_INPUT_OUTPUT;
    if (output) {
      writeBindingItems(number, b, s.paramsetSize, out);
      continue;
    }
    Binding echo = b;
    for (size_t i = 0; i < echo.rows; ++i) echo.indicators[i] = echo.sent[i];
    writeBindingItems(number, echo, s.paramsetSize, out);
  }
}

void writeExecuteReply(ExecSession& session, Statement& s, int16_t code, ItemWriter& out) {
  if (backend::succeeded(code)) {
    writeDescribeBlock(session, s, out);
    writeRowCounter(s, out);
    writeOutputParameters(s, out);
  } else if (code == SQL_NEED_DATA) {
    writeRowCounter(s, out);
  }
}

SQLRETURN prepareParameters(ExecSession& session, Statement& s) {
  for (auto& [number, b] : s.params) {
    if (!session.reserve(b, s.paramsetSize)) continue;
    SQLRETURN rc = SQLBindParameter(s.h(), number, b.paramType, b.cType, b.sqlType, b.precision,
                                    b.scale, b.dataPointer(), SQLLEN(b.stride()),
                                    b.indicatorPointer());
    if (!backend::succeeded(rc)) return rc;
  }
  return SQL_SUCCESS;
}

SQLRETURN prepareColumns(ExecSession& session, Statement& s, size_t rows) {
  for (auto& [number, b] : s.columns) {
    if (!session.reserve(b, rows)) continue;
    SQLRETURN rc = SQLBindCol(s.h(), number, b.cType, b.dataPointer(), SQLLEN(b.stride()),
                              b.indicatorPointer());
    if (!backend::succeeded(rc)) return rc;
  }
  return SQL_SUCCESS;
}

}  // namespace qn::exec
