// Statements through the driver called directly, with a relay that counts requests.
#include "DirectFixture.h"

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

namespace {

SQLCHAR *sql(const char *s) { return reinterpret_cast<SQLCHAR *>(const_cast<char *>(s)); }

class Statements : public Direct {
protected:
    std::unique_ptr<Proxy> proxy;
    SQLHSTMT s = nullptr;

    void SetUp() override {
        Direct::SetUp();
        proxy = std::make_unique<Proxy>(serverPort());
        connectVia(proxy->port());
        s = newStatement();
    }
    void TearDown() override {
        if (s)
            api.SQLFreeStmt(s, SQL_DROP);
        Direct::TearDown();
        proxy.reset();
    }
    Diag stmtError() { return nextError(api, env, dbc, s); }
    void run(const char *text) { ASSERT_EQ(exec(s, text), SQL_SUCCESS) << text << ": " << stmtError().message; }
    void table(const char *name, const char *columns) {
        run((std::string("DROP TABLE IF EXISTS ") + name).c_str());
        run((std::string("CREATE TABLE ") + name + "(" + columns + ")").c_str());
    }
};

} // namespace

TEST_F(Statements, DescribeCacheAnswersWithoutRoundTrip) {
    table("dc", "id INTEGER, name VARCHAR(50), price DOUBLE");
    run("INSERT INTO dc VALUES(1, 'pen', 1.5)");
    ASSERT_EQ(api.SQLPrepare(s, sql("SELECT id, name, price FROM dc"), SQL_NTS), SQL_SUCCESS);
    ASSERT_EQ(api.SQLExecute(s), SQL_SUCCESS);
    const long before = proxy->requests();

    SQLSMALLINT count = 0;
    EXPECT_EQ(api.SQLNumResultCols(s, &count), SQL_SUCCESS);
    EXPECT_EQ(count, 3);
    SQLCHAR name[64] = {};
    SQLSMALLINT nameLen = 0, type = 0, scale = 0, nullable = 0;
    SQLULEN precision = 0;
    EXPECT_EQ(api.SQLDescribeCol(s, 2, name, sizeof name, &nameLen, &type, &precision, &scale, &nullable),
              SQL_SUCCESS);
    EXPECT_STREQ(reinterpret_cast<char *>(name), "name");
    EXPECT_EQ(nameLen, 4);
    EXPECT_EQ(type, SQL_VARCHAR);
    EXPECT_EQ(precision, 50u);
    SQLLEN number = 0;
    EXPECT_EQ(api.SQLColAttributes(s, 1, SQL_COLUMN_TYPE, nullptr, 0, nullptr, &number), SQL_SUCCESS);
    EXPECT_EQ(number, SQL_INTEGER);
    EXPECT_EQ(api.SQLColAttributes(s, 1, SQL_COLUMN_COUNT, nullptr, 0, nullptr, &number), SQL_SUCCESS);
    EXPECT_EQ(number, 3);
    char text[32] = {};
    SQLSMALLINT textLen = 0;
    EXPECT_EQ(api.SQLColAttributes(s, 3, SQL_COLUMN_NAME, text, sizeof text, &textLen, nullptr), SQL_SUCCESS);
    EXPECT_STREQ(text, "price");
    EXPECT_EQ(stmtError().rc, SQL_NO_DATA_FOUND);
    EXPECT_EQ(proxy->requests(), before) << "answered from the describe cache";

    // A name buffer too short for the name goes to the server.
    SQLCHAR shortName[3] = {};
    EXPECT_EQ(api.SQLDescribeCol(s, 2, shortName, sizeof shortName, &nameLen, nullptr, nullptr, nullptr, nullptr),
              SQL_SUCCESS_WITH_INFO);
    EXPECT_STREQ(reinterpret_cast<char *>(shortName), "na");
    EXPECT_EQ(nameLen, 4);
    EXPECT_EQ(proxy->requests(), before + 1);
    // Another descriptor type goes to the server too.
    EXPECT_EQ(api.SQLColAttributes(s, 2, SQL_COLUMN_DISPLAY_SIZE, nullptr, 0, nullptr, &number), SQL_SUCCESS);
    EXPECT_EQ(proxy->requests(), before + 2);
}

TEST_F(Statements, BoundFetchAndGetData) {
    table("bf", "id INTEGER, name VARCHAR(50), price DOUBLE");
    ASSERT_EQ(api.SQLPrepare(s, sql("INSERT INTO bf VALUES(?, ?, ?)"), SQL_NTS), SQL_SUCCESS);
    SQLINTEGER id = 0;
    char name[51] = {};
    double price = 0;
    SQLLEN idInd = 0, nameInd = SQL_NTS, priceInd = 0;
    ASSERT_EQ(api.SQLBindParameter(s, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 10, 0, &id, 0, &idInd),
              SQL_SUCCESS);
    ASSERT_EQ(api.SQLBindParameter(s, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 50, 0, name, sizeof name,
                                   &nameInd),
              SQL_SUCCESS);
    ASSERT_EQ(api.SQLBindParameter(s, 3, SQL_PARAM_INPUT, SQL_C_DOUBLE, SQL_DOUBLE, 15, 0, &price, 0, &priceInd),
              SQL_SUCCESS);
    const struct Row {
        int id;
        const char *name; // null: SQL NULL
        double price;
    } rows[] = {{1, "pen", 1.5}, {2, nullptr, 2.25}, {3, "", 0}, {4, "a longer name with spaces", -7.125}};
    for (const Row &r : rows) {
        id = r.id;
        price = r.price;
        nameInd = r.name ? SQL_NTS : SQL_NULL_DATA;
        std::strcpy(name, r.name ? r.name : "");
        ASSERT_EQ(api.SQLExecute(s), SQL_SUCCESS) << stmtError().message;
    }
    ASSERT_EQ(api.SQLFreeStmt(s, SQL_RESET_PARAMS), SQL_SUCCESS);

    ASSERT_EQ(exec(s, "SELECT id, name, price FROM bf ORDER BY id"), SQL_SUCCESS);
    ASSERT_EQ(api.SQLBindCol(s, 1, SQL_C_SLONG, &id, 0, &idInd), SQL_SUCCESS);
    ASSERT_EQ(api.SQLBindCol(s, 2, SQL_C_CHAR, name, sizeof name, &nameInd), SQL_SUCCESS);
    ASSERT_EQ(api.SQLBindCol(s, 3, SQL_C_DEFAULT, &price, 0, &priceInd), SQL_SUCCESS);
    for (const Row &r : rows) {
        std::memset(name, 'x', sizeof name);
        ASSERT_EQ(api.SQLFetch(s), SQL_SUCCESS) << stmtError().message;
        EXPECT_EQ(id, r.id);
        if (r.name) {
            EXPECT_STREQ(name, r.name);
            EXPECT_EQ(nameInd, static_cast<SQLLEN>(std::strlen(r.name)));
        } else {
            EXPECT_EQ(nameInd, SQL_NULL_DATA);
        }
        EXPECT_DOUBLE_EQ(price, r.price);
    }
    EXPECT_EQ(api.SQLFetch(s), SQL_NO_DATA_FOUND);
    ASSERT_EQ(api.SQLFreeStmt(s, SQL_CLOSE), SQL_SUCCESS);
    ASSERT_EQ(api.SQLFreeStmt(s, SQL_UNBIND), SQL_SUCCESS);

    ASSERT_EQ(exec(s, "SELECT id, name, price FROM bf ORDER BY id"), SQL_SUCCESS);
    for (const Row &r : rows) {
        ASSERT_EQ(api.SQLFetch(s), SQL_SUCCESS);
        SQLINTEGER gotId = 0;
        char gotName[51];
        std::memset(gotName, 'x', sizeof gotName);
        double gotPrice = 0;
        SQLLEN ind = 0;
        EXPECT_EQ(api.SQLGetData(s, 1, SQL_C_SLONG, &gotId, 0, &ind), SQL_SUCCESS);
        EXPECT_EQ(gotId, r.id);
        EXPECT_EQ(api.SQLGetData(s, 2, SQL_C_CHAR, gotName, sizeof gotName, &ind), SQL_SUCCESS);
        if (r.name) {
            EXPECT_STREQ(gotName, r.name);
        } else {
            EXPECT_EQ(ind, SQL_NULL_DATA);
        }
        EXPECT_EQ(api.SQLGetData(s, 3, SQL_C_DEFAULT, &gotPrice, 0, &ind), SQL_SUCCESS);
        EXPECT_DOUBLE_EQ(gotPrice, r.price);
    }
    EXPECT_EQ(api.SQLFetch(s), SQL_NO_DATA_FOUND);
}

TEST_F(Statements, ParameterPointerRules) {
    table("pp", "a INTEGER, b VARCHAR(10)");
    ASSERT_EQ(api.SQLPrepare(s, sql("INSERT INTO pp VALUES(?, ?)"), SQL_NTS), SQL_SUCCESS);
    SQLLEN ind = 4;
    long before = proxy->requests();
    EXPECT_EQ(api.SQLBindParameter(s, 1, SQL_PARAM_OUTPUT, SQL_C_SLONG, SQL_INTEGER, 10, 0, nullptr, 0, &ind),
              SQL_ERROR);
    expectError(stmtError(), "08S01", 0, "An invalid, or too small pointer was provided for an output parameter. ");
    EXPECT_EQ(proxy->requests(), before) << "refused before any request";

    EXPECT_EQ(api.SQLBindParameter(s, 1, SQL_PARAM_INPUT_OUTPUT, SQL_C_SLONG, SQL_INTEGER, 10, 0, nullptr, 0, &ind),
              SQL_SUCCESS_WITH_INFO);
    expectError(stmtError(), "01000", 0,
                "Option changed. A parameter was changed to input only, the pointer provided was invalid, and "
                "unable to handle an output parameter.");

    // A parameter without a usable buffer needs a NULL or data-at-execution indicator.
    SQLLEN textInd = SQL_NTS;
    ASSERT_EQ(api.SQLBindParameter(s, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 10, 0, nullptr, 10, &textInd),
              SQL_SUCCESS);
    before = proxy->requests();
    EXPECT_EQ(api.SQLExecute(s), SQL_ERROR);
    expectError(stmtError(), "08S01", 0,
                "Attempted to retrieve data into an invalid bound parameter or column variable. ");
    EXPECT_EQ(proxy->requests(), before);

    ind = SQL_NULL_DATA;
    textInd = SQL_NULL_DATA;
    EXPECT_EQ(api.SQLExecute(s), SQL_SUCCESS) << stmtError().message;
    SQLLEN rows = 0;
    EXPECT_EQ(api.SQLRowCount(s, &rows), SQL_SUCCESS);
    EXPECT_EQ(rows, 1);
    ASSERT_EQ(api.SQLFreeStmt(s, SQL_RESET_PARAMS), SQL_SUCCESS);
    ASSERT_EQ(exec(s, "SELECT COUNT(*) FROM pp WHERE a IS NULL AND b IS NULL"), SQL_SUCCESS);
    ASSERT_EQ(api.SQLFetch(s), SQL_SUCCESS);
    SQLINTEGER n = 0;
    EXPECT_EQ(api.SQLGetData(s, 1, SQL_C_SLONG, &n, 0, nullptr), SQL_SUCCESS);
    EXPECT_EQ(n, 1);
}

TEST_F(Statements, DataAtExecution) {
    table("dae", "a INTEGER, b VARCHAR(50)");
    ASSERT_EQ(api.SQLPrepare(s, sql("INSERT INTO dae VALUES(?, ?)"), SQL_NTS), SQL_SUCCESS);
    SQLINTEGER a = 7;
    char slot[64] = "slot";
    SQLLEN aInd = 0, bInd = SQL_DATA_AT_EXEC;
    ASSERT_EQ(api.SQLBindParameter(s, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 10, 0, &a, 0, &aInd),
              SQL_SUCCESS);
    ASSERT_EQ(api.SQLBindParameter(s, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 50, 0, slot, sizeof slot, &bInd),
              SQL_SUCCESS);
    ASSERT_EQ(api.SQLExecute(s), SQL_NEED_DATA) << stmtError().message;
    SQLPOINTER which = nullptr;
    ASSERT_EQ(api.SQLParamData(s, &which), SQL_NEED_DATA) << stmtError().message;
    EXPECT_EQ(which, static_cast<SQLPOINTER>(slot));
    EXPECT_EQ(api.SQLPutData(s, sql("hello "), SQL_NTS), SQL_SUCCESS) << stmtError().message;
    const long before = proxy->requests();
    EXPECT_EQ(api.SQLPutData(s, sql("x"), 0), SQL_ERROR);
    EXPECT_EQ(stmtError().rc, SQL_NO_DATA_FOUND);
    EXPECT_EQ(proxy->requests(), before) << "an empty chunk is refused without a request";
    EXPECT_EQ(api.SQLPutData(s, sql("world"), 5), SQL_SUCCESS); // no terminator in the last chunk
    EXPECT_EQ(api.SQLParamData(s, &which), SQL_SUCCESS) << stmtError().message;

    ASSERT_EQ(api.SQLFreeStmt(s, SQL_RESET_PARAMS), SQL_SUCCESS);
    ASSERT_EQ(exec(s, "SELECT b FROM dae WHERE a = 7"), SQL_SUCCESS);
    ASSERT_EQ(api.SQLFetch(s), SQL_SUCCESS);
    char b[51] = {};
    EXPECT_EQ(api.SQLGetData(s, 1, SQL_C_CHAR, b, sizeof b, nullptr), SQL_SUCCESS);
    EXPECT_STREQ(b, "hello world");
}

// The value sent at execution is longer than the bound slot: the slot's size must not cut it.
TEST_F(Statements, DataAtExecutionLongerThanTheBoundSlot) {
    const std::string value = "an auction lot described in forty chars";
    const std::string chunks[] = {value.substr(0, 13), value.substr(13, 14), value.substr(27)};
    const SQLLEN announced[] = {SQL_DATA_AT_EXEC, SQL_LEN_DATA_AT_EXEC(SQLLEN(value.size()))};
    table("daelong", "a INTEGER, b VARCHAR(60)");
    SQLINTEGER a = 0;
    char slot[8] = "slot";
    SQLLEN aInd = 0, bInd = 0;
    for (SQLLEN indicator : announced) {
        SCOPED_TRACE(indicator);
        ++a;
        bInd = indicator;
        ASSERT_EQ(api.SQLPrepare(s, sql("INSERT INTO daelong VALUES(?, ?)"), SQL_NTS), SQL_SUCCESS);
        ASSERT_EQ(api.SQLBindParameter(s, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 10, 0, &a, 0, &aInd),
                  SQL_SUCCESS);
        ASSERT_EQ(api.SQLBindParameter(s, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 60, 0, slot, sizeof slot,
                                       &bInd),
                  SQL_SUCCESS);
        ASSERT_EQ(api.SQLExecute(s), SQL_NEED_DATA) << stmtError().message;
        SQLPOINTER which = nullptr;
        ASSERT_EQ(api.SQLParamData(s, &which), SQL_NEED_DATA) << stmtError().message;
        EXPECT_EQ(which, static_cast<SQLPOINTER>(slot));
        for (const std::string &chunk : chunks)
            EXPECT_EQ(api.SQLPutData(s, sql(chunk.c_str()), SQLLEN(chunk.size())), SQL_SUCCESS)
                << stmtError().message;
        EXPECT_EQ(api.SQLParamData(s, &which), SQL_SUCCESS) << stmtError().message;
        ASSERT_EQ(api.SQLFreeStmt(s, SQL_RESET_PARAMS), SQL_SUCCESS);
        ASSERT_EQ(api.SQLFreeStmt(s, SQL_CLOSE), SQL_SUCCESS);
    }
    EXPECT_STREQ(slot, "slot") << "the client's slot is not written";

    ASSERT_EQ(exec(s, "SELECT a, b FROM daelong ORDER BY a"), SQL_SUCCESS);
    for (SQLINTEGER expected = 1; expected <= 2; ++expected) {
        ASSERT_EQ(api.SQLFetch(s), SQL_SUCCESS);
        SQLINTEGER got = 0;
        char b[61] = {};
        SQLLEN bLen = 0;
        EXPECT_EQ(api.SQLGetData(s, 1, SQL_C_SLONG, &got, 0, nullptr), SQL_SUCCESS);
        EXPECT_EQ(got, expected);
        EXPECT_EQ(api.SQLGetData(s, 2, SQL_C_CHAR, b, sizeof b, &bLen), SQL_SUCCESS);
        EXPECT_EQ(std::string(b), value) << expected;
        EXPECT_EQ(bLen, SQLLEN(value.size()));
    }
    EXPECT_EQ(api.SQLFetch(s), SQL_NO_DATA_FOUND);
}

TEST_F(Statements, ErrorSequenceAsksTheServerOnlyWhenNeeded) {
    const long start = proxy->requests();
    EXPECT_EQ(exec(s, "SELEC nonsense"), SQL_ERROR);
    EXPECT_EQ(proxy->requests(), start + 1);
    const Diag d = stmtError();
    EXPECT_EQ(d.rc, SQL_SUCCESS);
    EXPECT_EQ(d.state.size(), 5u);
    EXPECT_NE(d.message.find("syntax error"), std::string::npos) << d.message;
    EXPECT_EQ(proxy->requests(), start + 2);
    EXPECT_EQ(stmtError().rc, SQL_NO_DATA_FOUND); // asked again: the server has no more
    EXPECT_EQ(proxy->requests(), start + 3);
    EXPECT_EQ(stmtError().rc, SQL_NO_DATA_FOUND); // known to be empty now
    EXPECT_EQ(proxy->requests(), start + 3);

    run("SELECT 1");
    const long afterSuccess = proxy->requests();
    EXPECT_EQ(stmtError().rc, SQL_NO_DATA_FOUND);
    EXPECT_EQ(connError().rc, SQL_NO_DATA_FOUND);
    EXPECT_EQ(proxy->requests(), afterSuccess) << "a call that succeeded leaves nothing to ask";
}

TEST_F(Statements, SetPosRowChecks) {
    table("sp", "a INTEGER");
    run("INSERT INTO sp VALUES(1)");
    ASSERT_EQ(exec(s, "SELECT a FROM sp"), SQL_SUCCESS);
    ASSERT_EQ(api.SQLFetch(s), SQL_SUCCESS);
    const long before = proxy->requests();
    for (SQLUSMALLINT op : {SQL_POSITION, SQL_REFRESH, SQL_UPDATE, SQL_DELETE, SQL_ADD}) {
        EXPECT_EQ(api.SQLSetPos(s, 2, op, SQL_LOCK_NO_CHANGE), SQL_ERROR) << op;
        expectError(stmtError(), "S1C00", 21000, kNotCapable);
    }
    EXPECT_EQ(proxy->requests(), before);
}

TEST_F(Statements, StatementLimitOfTheServer) {
    // The fixture's server allows 6 statements per connection; one is open already.
    std::vector<SQLHSTMT> extra;
    for (int i = 0; i < 5; ++i)
        extra.push_back(newStatement());
    SQLHSTMT over = nullptr;
    EXPECT_EQ(api.SQLAllocStmt(dbc, &over), SQL_ERROR);
    expectError(connError(), "08S01", 0,
                "Unable to allocate more statements, maximum number of statements per connection reached on the "
                "server.");
    ASSERT_EQ(api.SQLFreeStmt(extra.back(), SQL_DROP), SQL_SUCCESS);
    extra.pop_back();
    extra.push_back(newStatement());
    EXPECT_NE(extra.back(), nullptr);
    for (SQLHSTMT h : extra)
        api.SQLFreeStmt(h, SQL_DROP);
}

TEST_F(Statements, ConnectionResetThenLost) {
    proxy->resetAll();
    EXPECT_EQ(exec(s, "SELECT 1"), SQL_ERROR);
    const Diag d = stmtError();
    EXPECT_EQ(d.state, "08S01");
    EXPECT_TRUE(d.native == 20020 || d.native == 20021) << d.native;
    EXPECT_EQ(d.message, kPrefix + "Communication error: The connection was refused. Check that the Quill Net "
                                   "Server is active, accepting connections, and of the correct version "
                                   "(WSAECONNRESET).");
    EXPECT_EQ(exec(s, "SELECT 1"), SQL_ERROR);
    expectError(stmtError(), "08S01", 0, kLost);
    SQLHSTMT another = nullptr;
    EXPECT_EQ(api.SQLAllocStmt(dbc, &another), SQL_ERROR);
    expectError(connError(), "08S01", 0, kLost);
    EXPECT_EQ(api.SQLFreeStmt(s, SQL_DROP), SQL_SUCCESS);
    s = nullptr;
    EXPECT_EQ(api.SQLDisconnect(dbc), SQL_SUCCESS);
    // The next connect opens a new session.
    connectVia(proxy->port());
    s = newStatement();
    run("SELECT 1");
}

TEST_F(Statements, ThreadsShareOneConnectionSafely) {
    // Each thread has its own statement; the connection's lock keeps their requests
    // and replies from interleaving on the one session.
    constexpr int kThreads = 4, kRounds = 150;
    std::vector<SQLHSTMT> stmts;
    for (int t = 0; t < kThreads; ++t)
        stmts.push_back(newStatement());
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kRounds; ++i) {
                const int expected = t * 1000 + i;
                const std::string q = "SELECT " + std::to_string(expected);
                SQLINTEGER got = -1;
                if (exec(stmts[t], q) != SQL_SUCCESS || api.SQLFetch(stmts[t]) != SQL_SUCCESS ||
                    api.SQLGetData(stmts[t], 1, SQL_C_SLONG, &got, 0, nullptr) != SQL_SUCCESS ||
                    got != expected || api.SQLFreeStmt(stmts[t], SQL_CLOSE) != SQL_SUCCESS)
                    ++wrong;
            }
        });
    }
    for (auto &th : threads)
        th.join();
    EXPECT_EQ(wrong.load(), 0);
    for (SQLHSTMT h : stmts)
        api.SQLFreeStmt(h, SQL_DROP);
}

TEST_F(Statements, ExtendedFetchParamsAndSmallCalls) {
    table("xf", "a INTEGER, b VARCHAR(10)");
    run("INSERT INTO xf VALUES(1, 'one')");
    run("INSERT INTO xf VALUES(2, 'two')");
    ASSERT_EQ(exec(s, "SELECT a, b FROM xf ORDER BY a"), SQL_SUCCESS);
    SQLINTEGER a = 0;
    SQLLEN aInd = 0;
    ASSERT_EQ(api.SQLBindCol(s, 1, SQL_C_SLONG, &a, 0, &aInd), SQL_SUCCESS);
    SQLULEN fetched = 0;
    SQLUSMALLINT status[1] = {99};
    ASSERT_EQ(api.SQLExtendedFetch(s, SQL_FETCH_NEXT, 0, &fetched, status), SQL_SUCCESS) << stmtError().message;
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(status[0], SQL_ROW_SUCCESS);
    EXPECT_EQ(a, 1);
    ASSERT_EQ(api.SQLExtendedFetch(s, SQL_FETCH_NEXT, 0, &fetched, status), SQL_SUCCESS);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(api.SQLExtendedFetch(s, SQL_FETCH_NEXT, 0, &fetched, status), SQL_NO_DATA_FOUND);
    ASSERT_EQ(api.SQLFreeStmt(s, SQL_CLOSE), SQL_SUCCESS);
    ASSERT_EQ(api.SQLFreeStmt(s, SQL_UNBIND), SQL_SUCCESS);

    ASSERT_EQ(api.SQLPrepare(s, sql("SELECT b FROM xf WHERE a = ? OR a = ?"), SQL_NTS), SQL_SUCCESS);
    SQLSMALLINT params = 0;
    EXPECT_EQ(api.SQLNumParams(s, &params), SQL_SUCCESS);
    EXPECT_EQ(params, 2);
    EXPECT_EQ(api.SQLMoreResults(s), SQL_NO_DATA_FOUND);

    // Statement options kept by the driver itself.
    SQLULEN value = 5;
    EXPECT_EQ(api.SQLSetStmtOption(s, 4286, 2), SQL_SUCCESS);
    EXPECT_EQ(api.SQLGetStmtOption(s, 4286, &value), SQL_SUCCESS);
    EXPECT_EQ(value, 2u);
    EXPECT_EQ(api.SQLGetStmtOption(s, 4287, &value), SQL_SUCCESS);
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(api.SQLSetStmtOption(s, SQL_BIND_TYPE, 8), SQL_ERROR);
    expectError(stmtError(), "S1C00", 21000, kNotCapable);
    EXPECT_EQ(api.SQLSetStmtOption(s, 4000, 1), SQL_ERROR);
    expectError(stmtError(), "S1C00", 21000, kNotCapable);
    EXPECT_EQ(api.SQLCancel(s), SQL_SUCCESS);
}

TEST_F(Statements, ParameterArraysWithRowCounter) {
    table("pa", "a INTEGER, b VARCHAR(10)");
    ASSERT_EQ(api.SQLPrepare(s, sql("INSERT INTO pa VALUES(?, ?)"), SQL_NTS), SQL_SUCCESS);
    SQLINTEGER a[3] = {10, 20, 30};
    char b[3][10] = {"ten", "twenty", "thirty"};
    SQLLEN aInd[3] = {0, 0, 0}, bInd[3] = {SQL_NTS, SQL_NTS, SQL_NULL_DATA};
    SQLULEN counter = 0;
    ASSERT_EQ(api.SQLParamOptions(s, 3, &counter), SQL_SUCCESS) << stmtError().message;
    ASSERT_EQ(api.SQLBindParameter(s, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 10, 0, a, 0, aInd),
              SQL_SUCCESS);
    ASSERT_EQ(api.SQLBindParameter(s, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 9, 0, b, 10, bInd), SQL_SUCCESS);
    ASSERT_EQ(api.SQLExecute(s), SQL_SUCCESS) << stmtError().message;
    EXPECT_EQ(counter, 3u);
    ASSERT_EQ(api.SQLFreeStmt(s, SQL_RESET_PARAMS), SQL_SUCCESS);
    ASSERT_EQ(api.SQLParamOptions(s, 1, nullptr), SQL_SUCCESS);
    ASSERT_EQ(exec(s, "SELECT a, b FROM pa ORDER BY a"), SQL_SUCCESS);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(api.SQLFetch(s), SQL_SUCCESS);
        SQLINTEGER gotA = 0;
        char gotB[10] = {};
        SQLLEN ind = 0;
        api.SQLGetData(s, 1, SQL_C_SLONG, &gotA, 0, nullptr);
        EXPECT_EQ(gotA, a[i]);
        api.SQLGetData(s, 2, SQL_C_CHAR, gotB, sizeof gotB, &ind);
        if (bInd[i] == SQL_NULL_DATA) {
            EXPECT_EQ(ind, SQL_NULL_DATA);
        } else {
            EXPECT_STREQ(gotB, b[i]);
        }
    }
}

TEST_F(Statements, WideCharactersPassThrough) {
    table("wc", "name VARCHAR(20)");
    SQLWCHAR in[] = {'p', 0xE9, 'n', 0}; // UTF-16 "pén"
    SQLLEN inInd = SQL_NTS;
    ASSERT_EQ(api.SQLPrepare(s, sql("INSERT INTO wc VALUES(?)"), SQL_NTS), SQL_SUCCESS);
    ASSERT_EQ(api.SQLBindParameter(s, 1, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, 20, 0, in, sizeof in, &inInd),
              SQL_SUCCESS);
    ASSERT_EQ(api.SQLExecute(s), SQL_SUCCESS) << stmtError().message;
    ASSERT_EQ(api.SQLFreeStmt(s, SQL_RESET_PARAMS), SQL_SUCCESS);
    ASSERT_EQ(exec(s, "SELECT name, hex(name) FROM wc"), SQL_SUCCESS);
    SQLWCHAR out[21] = {};
    SQLLEN outInd = 0;
    char hex[41] = {};
    ASSERT_EQ(api.SQLBindCol(s, 1, SQL_C_WCHAR, out, sizeof out, &outInd), SQL_SUCCESS) << stmtError().message;
    ASSERT_EQ(api.SQLBindCol(s, 2, SQL_C_CHAR, hex, sizeof hex, nullptr), SQL_SUCCESS);
    ASSERT_EQ(api.SQLFetch(s), SQL_SUCCESS) << stmtError().message;
    EXPECT_STREQ(hex, "70C3A96E"); // stored as UTF-8
    EXPECT_EQ(outInd, 6);
    EXPECT_EQ(std::vector<SQLWCHAR>(out, out + 4), std::vector<SQLWCHAR>(in, in + 4));
}

TEST_F(Statements, RowsetSetPosLimitsAndNativeSql) {
    table("rs", "a INTEGER");
    run("INSERT INTO rs VALUES(1)");
    run("INSERT INTO rs VALUES(2)");
    SQLCHAR native[64] = {};
    SQLINTEGER nativeLen = 0;
    ASSERT_EQ(api.SQLNativeSql(dbc, sql("SELECT 1"), SQL_NTS, native, sizeof native, &nativeLen), SQL_SUCCESS);
    EXPECT_STREQ(reinterpret_cast<char *>(native), "SELECT 1");
    EXPECT_EQ(nativeLen, 8);
    const SQLRETURN rs = api.SQLSetStmtOption(s, SQL_ROWSET_SIZE, 2);
    ASSERT_TRUE(rs == SQL_SUCCESS || rs == SQL_SUCCESS_WITH_INFO) << stmtError().message;
    ASSERT_EQ(exec(s, "SELECT a FROM rs ORDER BY a"), SQL_SUCCESS);
    // Rowset of 2 plus the slot SQL_ADD reads its new row from.
    SQLINTEGER a[3] = {0, 0, 3};
    SQLLEN aInd[3] = {0, 0, 0};
    ASSERT_EQ(api.SQLBindCol(s, 1, SQL_C_SLONG, a, 0, aInd), SQL_SUCCESS);
    SQLULEN fetched = 0;
    SQLUSMALLINT status[2] = {};
    ASSERT_EQ(api.SQLExtendedFetch(s, SQL_FETCH_NEXT, 0, &fetched, status), SQL_SUCCESS) << stmtError().message;
    EXPECT_EQ(fetched, 2u);
    EXPECT_EQ(a[0], 1);
    EXPECT_EQ(a[1], 2);
    const long before = proxy->requests();
    EXPECT_EQ(api.SQLSetPos(s, 3, SQL_POSITION, SQL_LOCK_NO_CHANGE), SQL_ERROR);
    expectError(stmtError(), "S1C00", 21000, kNotCapable);
    EXPECT_EQ(api.SQLSetPos(s, 4, SQL_ADD, SQL_LOCK_NO_CHANGE), SQL_ERROR);
    expectError(stmtError(), "S1C00", 21000, kNotCapable);
    EXPECT_EQ(proxy->requests(), before) << "refused locally";
    // Row 3 is the row after the rowset: adding it is allowed and goes to the server.
    api.SQLSetPos(s, 3, SQL_ADD, SQL_LOCK_NO_CHANGE);
    EXPECT_EQ(proxy->requests(), before + 1);
}

TEST_F(Statements, CatalogCallsDescribeTheirResults) {
    table("cat_items", "id INTEGER, label VARCHAR(20)");
    ASSERT_EQ(api.SQLFreeStmt(s, SQL_CLOSE), SQL_SUCCESS);
    auto text = [](const char *t) { return reinterpret_cast<SQLCHAR *>(const_cast<char *>(t)); };
    ASSERT_EQ(api.SQLColumns(s, nullptr, 0, nullptr, 0, text("cat_items"), SQL_NTS, nullptr, 0), SQL_SUCCESS)
        << stmtError().message;
    const long before = proxy->requests();
    SQLSMALLINT count = 0;
    EXPECT_EQ(api.SQLNumResultCols(s, &count), SQL_SUCCESS);
    EXPECT_GE(count, 4);
    EXPECT_EQ(proxy->requests(), before);
    std::vector<std::string> names;
    while (api.SQLFetch(s) == SQL_SUCCESS) {
        char name[64] = {};
        SQLLEN ind = 0;
        ASSERT_EQ(api.SQLGetData(s, 4, SQL_C_CHAR, name, sizeof name, &ind), SQL_SUCCESS);
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"id", "label"}));
    ASSERT_EQ(api.SQLFreeStmt(s, SQL_CLOSE), SQL_SUCCESS);

    ASSERT_EQ(api.SQLTables(s, nullptr, 0, nullptr, 0, text("cat_items"), SQL_NTS, nullptr, 0), SQL_SUCCESS);
    ASSERT_EQ(api.SQLFetch(s), SQL_SUCCESS);
    char table[64] = {};
    ASSERT_EQ(api.SQLGetData(s, 3, SQL_C_CHAR, table, sizeof table, nullptr), SQL_SUCCESS);
    EXPECT_STREQ(table, "cat_items");
    EXPECT_EQ(api.SQLFetch(s), SQL_NO_DATA_FOUND);
    ASSERT_EQ(api.SQLFreeStmt(s, SQL_CLOSE), SQL_SUCCESS);

    ASSERT_EQ(api.SQLGetTypeInfo(s, SQL_ALL_TYPES), SQL_SUCCESS) << stmtError().message;
    int types = 0;
    while (api.SQLFetch(s) == SQL_SUCCESS)
        ++types;
    EXPECT_GT(types, 3);
}
