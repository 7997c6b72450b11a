// Environment, connection and statement records, and the error record each keeps.
#pragma once

#include "Link.h"

#include <sql.h>
#include <sqlext.h>

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace qn::odbc {

constexpr SQLUSMALLINT SQL_DEFERRED_BIND = 4286;
constexpr SQLUSMALLINT SQL_ENABLE_BULK_READ = 4287;
constexpr SQLINTEGER kNotCapableNative = 21000;

// Native codes of communication failures, by the step that failed.
enum CommStep : SQLINTEGER {
    kBeginRequest = 20000,
    kAddOutputArea = 20001,
    kAddString = 20002,
    kAddArgument = 20003,
    kAddBoundData = 20004,
    kReadReplyItem = 20013,
    kReadBoundData = 20014,
    kSending = 20020,
    kReceiving = 20021,
    kReachServer = 20030,
};

struct ErrorRecord {
    bool set = false;
    std::string state;
    std::string message;
    SQLINTEGER native = 0;

    void clear() {
        set = false;
        state.clear();
        message.clear();
        native = 0;
    }
};

struct Environment {
    std::uint32_t block = 0;
};

struct ColumnDescriptor {
    char name[64] = {};
    std::uint32_t precision = 0;
    std::int16_t returnCode = -1;
    std::int16_t nameLength = 0;
    std::int16_t sqlType = 0;
    std::int16_t scale = 0;
    std::int16_t nullable = 0;
};

struct Binding {
    void *data = nullptr;
    SQLLEN length = 0;
    SQLLEN *indicator = nullptr;
    bool usable = false;
    SQLSMALLINT cType = 0;
    SQLSMALLINT ioType = SQL_PARAM_INPUT;
    std::unique_ptr<ColumnDescriptor> descriptor; // columns only

    bool bound() const { return data != nullptr || indicator != nullptr; }
    void clearBinding() {
        data = nullptr;
        length = 0;
        indicator = nullptr;
        usable = false;
        cType = 0;
        ioType = SQL_PARAM_INPUT;
    }
};

struct PendingOption {
    SQLUSMALLINT option = 0;
    bool isString = false;
    SQLULEN number = 0;
    std::string text;
};

struct Statement;

struct Connection {
    Environment *environment = nullptr;
    std::mutex lock;
    std::unique_ptr<Link> link;
    ErrorRecord error;
    SQLULEN rowsetSize = 1;
    SQLULEN cursorType = 0;
    std::vector<Statement *> statements;
    bool handshakeDone = false;
    bool optionsApplied = false;
    std::uint32_t requestedOptions = 0;
    std::vector<PendingOption> pending;
    std::uint32_t maxStatements = 0;
    std::uint32_t statementCount = 0;
    std::uint32_t grantedOptions = 0xFFFFFFFFu;
    bool infoReceived = false;
    std::array<std::uint8_t, 100> functionBitmap{};
    std::array<std::uint8_t, 76> infoBlock{};

    // Keyword values of the data source or connection string.
    std::string driver, dsn, serverDsn, serverName, storedIp, networkAddr, port, encryption, timeout = "0";
    bool tryIp = false;

    bool connected = false;
    bool connectedAtServer = false;
    bool browseComplete = false;
    SQLULEN deferredBind = 0;
    SQLULEN bulkRead = 0;
};

struct Statement {
    Connection *connection = nullptr;
    std::uint32_t serverHandle = 0;
    ErrorRecord error;
    std::vector<Binding> columns;
    SQLULEN rowsetSize = 1;
    std::vector<Binding> params;
    SQLULEN paramSetSize = 1;
    SQLULEN *rowCounter = nullptr;
    bool rowCounterSet = false;
    int needDataKind = 0;
    int needDataNumber = 0;
    std::uint32_t grantedOptions = 0;
    bool catalogResult = false;
    bool localBindings = false;
    SQLSMALLINT columnCount = -1;
    bool describeValid = false;
    int bulkState = 0;
    SQLULEN bulkRowsetSize = 0;
    std::uint32_t bulkBudget = 0;
    SQLULEN deferredBind = 0;
    bool bindingsChanged = false;

    Link &link() { return *connection->link; }
};

} // namespace qn::odbc
