// The driver called directly, against quillnet-server with a SQLite data source.
#include "DirectFixture.h"

#include <fstream>
#include <map>
#include <memory>
#include <vector>


TEST_F(Direct, ErrorRecordsWithoutServer) {
    EXPECT_EQ(api.SQLError(env, nullptr, nullptr, nullptr, nullptr, nullptr, 0, nullptr), SQL_NO_DATA_FOUND);
    SQLHSTMT s = nullptr;
    EXPECT_EQ(api.SQLAllocStmt(dbc, &s), SQL_ERROR);
    EXPECT_EQ(s, nullptr);
    expectError(connError(), "08S01", 0, kLost);
    EXPECT_EQ(connError().rc, SQL_NO_DATA_FOUND);

    // A short message buffer gets what fits, terminated.
    EXPECT_EQ(api.SQLAllocStmt(dbc, &s), SQL_ERROR);
    SQLCHAR state[6], message[10];
    SQLINTEGER native = -1;
    SQLSMALLINT len = 0;
    ASSERT_EQ(api.SQLError(env, dbc, nullptr, state, &native, message, sizeof message, &len), SQL_SUCCESS);
    EXPECT_STREQ(reinterpret_cast<char *>(message), "[Harrow B");
    EXPECT_EQ(len, 9);

    SQLCHAR ver[16] = {};
    SQLSMALLINT verLen = 0;
    EXPECT_EQ(api.SQLGetInfo(dbc, SQL_DRIVER_ODBC_VER, ver, sizeof ver, &verLen), SQL_SUCCESS);
    EXPECT_STREQ(reinterpret_cast<char *>(ver), "02.50");
    EXPECT_EQ(verLen, 5);
}

TEST_F(Direct, ConnectOptionsBeforeConnecting) {
    struct Case {
        SQLUSMALLINT option;
        SQLULEN value;
        SQLRETURN rc;
    } cases[] = {
        {4000, 1, SQL_ERROR},                            // unknown anywhere
        {SQL_BIND_TYPE, 1, SQL_ERROR},                   // row-wise binding
        {5002, 1, SQL_ERROR},                            // listed with a type that is neither
        {SQL_BIND_TYPE, 0, SQL_SUCCESS},
        {5000, reinterpret_cast<SQLULEN>("abc"), SQL_SUCCESS}, // STRING in QUILLNET.INI
        {5001, 7, SQL_SUCCESS},                          // DWORD in QUILLNET.INI
        {4286, 3, SQL_SUCCESS},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(api.SQLSetConnectOption(dbc, c.option, c.value), c.rc) << c.option;
        if (c.rc == SQL_ERROR)
            expectError(connError(), "S1C00", 21000, kNotCapable);
        else
            EXPECT_EQ(connError().rc, SQL_NO_DATA_FOUND);
    }
    SQLULEN value = 0;
    EXPECT_EQ(api.SQLGetConnectOption(dbc, 4286, &value), SQL_SUCCESS);
    EXPECT_EQ(value, 3u);
    EXPECT_EQ(api.SQLGetConnectOption(dbc, 4000, &value), SQL_ERROR);
    expectError(connError(), "S1C00", 21000, kNotCapable);
    EXPECT_EQ(api.SQLGetConnectOption(dbc, SQL_AUTOCOMMIT, &value), SQL_ERROR);
    expectError(connError(), "08S01", 0, kLost);
}

TEST_F(Direct, ConnectFailuresBeforeTheServer) {
    struct Case {
        const char *dsn;
        const char *state;
        int native;
        std::string text;
    } cases[] = {
        {"quill_noaddr", "08001", 0, "Unable to locate server, no IP address provided by data source."},
        {"quill_noport", "08001", 0, "Unable to locate server, invalid port, or no port provided."},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(api.SQLConnect(dbc, reinterpret_cast<SQLCHAR *>(const_cast<char *>(c.dsn)), SQL_NTS, nullptr, 0,
                                 nullptr, 0),
                  SQL_ERROR);
        expectError(connError(), c.state, c.native, c.text);
    }
    // A port nobody listens on.
    const int closedPort = unusedPort();
    EXPECT_EQ(driverConnect("QNETSRV=127.0.0.1;QNETDSN=srvdb;QNETPORT=" + std::to_string(closedPort)), SQL_ERROR);
    expectError(connError(), "08S01", 20030,
                "Communication error: The connection was refused. Check that the Quill Net Server is active, "
                "accepting connections, and of the correct version (WSAECONNREFUSED).");
    // A window with a mode that asks for the dialog: the user could not confirm it.
    EXPECT_EQ(driverConnect("DSN=quill", nullptr, 0, nullptr, SQL_DRIVER_PROMPT, fakeWindow()), SQL_ERROR);
    expectError(connError(), "S1000", 0, "User canceled the connection in the Quill Net dialog box.");
    EXPECT_EQ(driverConnect("QNETDSN=srvdb", nullptr, 0, nullptr, SQL_DRIVER_COMPLETE, fakeWindow()), SQL_ERROR);
    expectError(connError(), "S1000", 0, "User canceled the connection in the Quill Net dialog box.");
    // Complete strings need no dialog even with a window.
    EXPECT_EQ(driverConnect("DSN=quill", nullptr, 0, nullptr, SQL_DRIVER_COMPLETE, fakeWindow()), SQL_SUCCESS);
}

TEST_F(Direct, DriverConnectOutputString) {
    const std::string port = std::to_string(serverPort());
    SQLCHAR out[256] = {};
    SQLSMALLINT len = 0;
    ASSERT_EQ(driverConnect("DRIVER={QuillNet};DSN=quill;UID=ab;PWD=cd", out, sizeof out, &len), SQL_SUCCESS);
    const std::string expected = "DRIVER={QuillNet};DSN=quill;QNETSRV=127.0.0.1;QNETPORT=" + port +
                                 ";QNETDSN=srvdb;QNETTO=0;UID=ab;PWD=cd;";
    EXPECT_EQ(reinterpret_cast<char *>(out), expected);
    EXPECT_EQ(len, static_cast<SQLSMALLINT>(expected.size()));
    ASSERT_EQ(api.SQLDisconnect(dbc), SQL_SUCCESS);

    SQLCHAR small[30] = {};
    ASSERT_EQ(driverConnect("DRIVER={QuillNet};DSN=quill;UID=ab;PWD=cd", small, sizeof small, &len),
              SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(reinterpret_cast<char *>(small), std::string("DRIVER={QuillNet};DSN=quill;"));
    EXPECT_EQ(len, static_cast<SQLSMALLINT>(expected.size()));
    expectError(connError(), "01004", 0, "Data Truncated.");
}

TEST_F(Direct, FunctionListIsExact) {
    const std::map<int, const char *> names = {
        {1, "SQLAllocConnect"},  {2, "SQLAllocEnv"},       {3, "SQLAllocStmt"},      {4, "SQLBindCol"},
        {5, "SQLCancel"},        {6, "SQLColAttributes"},  {7, "SQLConnect"},        {8, "SQLDescribeCol"},
        {9, "SQLDisconnect"},    {10, "SQLError"},         {11, "SQLExecDirect"},    {12, "SQLExecute"},
        {13, "SQLFetch"},        {14, "SQLFreeConnect"},   {15, "SQLFreeEnv"},       {16, "SQLFreeStmt"},
        {17, "SQLGetCursorName"}, {18, "SQLNumResultCols"}, {19, "SQLPrepare"},      {20, "SQLRowCount"},
        {21, "SQLSetCursorName"}, {22, "SQLSetParam"},     {23, "SQLTransact"},      {40, "SQLColumns"},
        {41, "SQLDriverConnect"}, {42, "SQLGetConnectOption"}, {43, "SQLGetData"},   {44, "SQLGetFunctions"},
        {45, "SQLGetInfo"},      {46, "SQLGetStmtOption"}, {47, "SQLGetTypeInfo"},   {48, "SQLParamData"},
        {49, "SQLPutData"},      {50, "SQLSetConnectOption"}, {51, "SQLSetStmtOption"}, {52, "SQLSpecialColumns"},
        {53, "SQLStatistics"},   {54, "SQLTables"},        {55, "SQLBrowseConnect"}, {56, "SQLColumnPrivileges"},
        {57, "SQLDataSources"},  {58, "SQLDescribeParam"}, {59, "SQLExtendedFetch"}, {60, "SQLForeignKeys"},
        {61, "SQLMoreResults"},  {62, "SQLNativeSql"},     {63, "SQLNumParams"},     {64, "SQLParamOptions"},
        {65, "SQLPrimaryKeys"},  {66, "SQLProcedureColumns"}, {67, "SQLProcedures"}, {68, "SQLSetPos"},
        {69, "SQLSetScrollOptions"}, {70, "SQLTablePrivileges"}, {71, "SQLDrivers"}, {72, "SQLBindParameter"},
    };
    SQLUSMALLINT all[100] = {};
    ASSERT_EQ(api.SQLGetFunctions(dbc, SQL_API_ALL_FUNCTIONS, all), SQL_SUCCESS);
    for (int i = 0; i < 100; ++i) {
        auto it = names.find(i);
        const bool exported = it != names.end() && dlsym(api.lib, it->second) != nullptr;
        EXPECT_EQ(all[i] == SQL_TRUE, exported) << i;
        if (i == 0)
            continue; // 0 asks for the whole list
        SQLUSMALLINT one = 7;
        ASSERT_EQ(api.SQLGetFunctions(dbc, static_cast<SQLUSMALLINT>(i), &one), SQL_SUCCESS);
        EXPECT_EQ(one, all[i]) << i;
    }
    // An ODBC 3 entry would make the driver manager treat the driver as ODBC 3.
    EXPECT_EQ(dlsym(api.lib, "SQLAllocHandle"), nullptr);
    EXPECT_NE(dlsym(api.lib, "LoadByOrdinal"), nullptr);
    EXPECT_NE(dlsym(api.lib, "LibMain"), nullptr);
}

TEST_F(Direct, PendingOptionsAreAppliedAfterTheHandshake) {
    EXPECT_EQ(api.SQLSetConnectOption(dbc, SQL_AUTOCOMMIT, SQL_AUTOCOMMIT_OFF), SQL_SUCCESS);
    EXPECT_EQ(api.SQLSetConnectOption(dbc, 5001, 7), SQL_SUCCESS); // the server rejects it: ignored
    EXPECT_EQ(api.SQLSetConnectOption(dbc, 5000, reinterpret_cast<SQLULEN>("text")), SQL_SUCCESS);
    connectVia(serverPort());
    SQLULEN value = 99;
    EXPECT_EQ(api.SQLGetConnectOption(dbc, SQL_AUTOCOMMIT, &value), SQL_SUCCESS) << connError().message;
    EXPECT_EQ(value, static_cast<SQLULEN>(SQL_AUTOCOMMIT_OFF));
    EXPECT_EQ(api.SQLTransact(env, dbc, SQL_ROLLBACK), SQL_SUCCESS);
}

TEST_F(Direct, BulkReadConflictsWithRowsetAndCursorType) {
    connectVia(serverPort());
    const std::string rowsetMessage = "Unable to enable the Bulk Read (SQL_ENABLE_BULK_READ) option. The Rowset "
                                      "Size (SQL_ROWSET_SIZE) is not 1.  ";
    // The back end may adjust the value (SQL_SUCCESS_WITH_INFO); the driver keeps what was set.
    const SQLRETURN set = api.SQLSetConnectOption(dbc, SQL_ROWSET_SIZE, 5);
    ASSERT_TRUE(set == SQL_SUCCESS || set == SQL_SUCCESS_WITH_INFO) << connError().message;
    EXPECT_EQ(api.SQLSetConnectOption(dbc, 4287, 1), SQL_ERROR);
    expectError(connError(), "S1001", 0, rowsetMessage);
    SQLULEN value = 9;
    EXPECT_EQ(api.SQLGetConnectOption(dbc, 4287, &value), SQL_SUCCESS);
    EXPECT_EQ(value, 0u) << "the option stays off";
    const SQLRETURN reset = api.SQLSetConnectOption(dbc, SQL_ROWSET_SIZE, 1);
    ASSERT_TRUE(reset == SQL_SUCCESS || reset == SQL_SUCCESS_WITH_INFO) << connError().message;
    const SQLRETURN cursor = api.SQLSetConnectOption(dbc, SQL_CURSOR_TYPE, SQL_CURSOR_STATIC);
    if (cursor == SQL_SUCCESS || cursor == SQL_SUCCESS_WITH_INFO) {
        EXPECT_EQ(api.SQLSetConnectOption(dbc, 4287, 1), SQL_ERROR);
        expectError(connError(), "S1001", 0,
                    "Unable to enable the Bulk Read (SQL_ENABLE_BULK_READ) option. The Cursor Type option "
                    "(SQL_CURSOR_TYPE) is not set to forward only. ");
    }
}

TEST_F(Direct, ServerRefusalOfTheConnectIsKept) {
    EXPECT_EQ(api.SQLConnect(dbc, reinterpret_cast<SQLCHAR *>(const_cast<char *>("quill_badsrv")), SQL_NTS,
                             nullptr, 0, nullptr, 0),
              SQL_ERROR);
    const Diag d = connError();
    EXPECT_EQ(d.rc, SQL_SUCCESS);
    EXPECT_EQ(d.state, "IM002");
    EXPECT_NE(d.message.find("Data source name not found"), std::string::npos) << d.message;
    EXPECT_EQ(connError().rc, SQL_NO_DATA_FOUND);
    SQLHSTMT s = nullptr;
    EXPECT_EQ(api.SQLAllocStmt(dbc, &s), SQL_ERROR) << "a refused connect leaves no session";
    expectError(connError(), "08S01", 0, kLost);
}

TEST_F(Direct, CredentialsAndForwardedString) {
    Proxy relay(serverPort());
    const std::string port = std::to_string(relay.port());
    // SQLDriverConnect forwards the server's data source name and the credentials,
    // never the driver's own pairs.
    ASSERT_EQ(driverConnect("DSN=quill;QNETPORT=" + port + ";UID=ab;PWD=cd;QNETGETD=0"), SQL_SUCCESS)
        << connError().message;
    EXPECT_NE(relay.sent().find(scrambledForm("DSN=srvdb;QNETGETD=0;UID=ab;PWD=cd")), std::string::npos);
    ASSERT_EQ(api.SQLDisconnect(dbc), SQL_SUCCESS);

    // SQLConnect without user and password takes UID and PWD of the data source.
    const std::string dsn = "quill_uid";
    Proxy relay2(serverPort());
    std::string conn = "DSN=" + dsn + ";QNETPORT=" + std::to_string(relay2.port());
    ASSERT_EQ(driverConnect(conn), SQL_SUCCESS) << connError().message;
    EXPECT_NE(relay2.sent().find(scrambledForm("UID=dsnuser;PWD=dsnpass")), std::string::npos);
}

TEST_F(Direct, ConnectTakesCredentialsOfTheDataSource) {
    struct Case {
        const char *user, *password;
        std::string expectUser, expectPassword;
    } cases[] = {
        {nullptr, nullptr, "dsnuser", "dsnpass"},
        {"", "", "dsnuser", "dsnpass"},
        {"me", "secret", "me", "secret"},
    };
    int n = 0;
    for (const Case &c : cases) {
        // A copy of the data source with credentials, pointing at a relay that shows
        // what the driver sends.
        Proxy relay(serverPort());
        const std::string dsn = "quill_uid_relay" + std::to_string(++n);
        std::ofstream(std::string(std::getenv("ODBCINI")), std::ios::app)
            << "\n[" << dsn << "]\nDriver = QuillNet\nServerDSN = srvdb\nNetworkAddr = 127.0.0.1\nServerPort = "
            << relay.port() << "\nUID = dsnuser\nPWD = dsnpass\n";
        auto arg = [](const char *s) { return reinterpret_cast<SQLCHAR *>(const_cast<char *>(s)); };
        ASSERT_EQ(api.SQLConnect(dbc, arg(dsn.c_str()), SQL_NTS, arg(c.user), SQL_NTS, arg(c.password),
                                 SQL_NTS),
                  SQL_SUCCESS)
            << connError().message;
        const std::string sent = relay.sent();
        EXPECT_NE(sent.find(scrambledForm(c.expectUser)), std::string::npos) << c.expectUser;
        EXPECT_NE(sent.find(scrambledForm(c.expectPassword)), std::string::npos) << c.expectPassword;
        ASSERT_EQ(api.SQLDisconnect(dbc), SQL_SUCCESS);
    }
}
