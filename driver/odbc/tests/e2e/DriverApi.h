// The driver loaded straight from its library, bypassing the driver manager, so
// tests see exactly what each entry point answers.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#define QN_ENTRY(name) decltype(&::name) name = nullptr;
#define QN_LOAD(name) name = reinterpret_cast<decltype(&::name)>(dlsym(lib, #name));

#define QN_ENTRIES(X)                                                                                          \
    X(SQLAllocEnv) X(SQLFreeEnv) X(SQLAllocConnect) X(SQLFreeConnect) X(SQLConnect) X(SQLDriverConnect)        \
    X(SQLDisconnect) X(SQLAllocStmt) X(SQLFreeStmt) X(SQLTransact) X(SQLSetConnectOption)                      \
    X(SQLGetConnectOption) X(SQLError) X(SQLPrepare) X(SQLExecute) X(SQLExecDirect) X(SQLNumResultCols)        \
    X(SQLDescribeCol) X(SQLColAttributes) X(SQLBindCol) X(SQLFetch) X(SQLExtendedFetch) X(SQLGetData)          \
    X(SQLBindParameter) X(SQLParamData) X(SQLPutData) X(SQLSetPos) X(SQLRowCount) X(SQLGetFunctions)           \
    X(SQLSetStmtOption) X(SQLGetStmtOption) X(SQLGetInfo) X(SQLNumParams) X(SQLCancel) X(SQLMoreResults)      \
    X(SQLParamOptions) X(SQLSetCursorName) X(SQLGetCursorName) X(SQLNativeSql) X(SQLColumns) X(SQLTables) X(SQLGetTypeInfo)

struct DriverApi {
    void *lib = nullptr;
    QN_ENTRIES(QN_ENTRY)

    DriverApi() {
        const char *path = std::getenv("QN_DRIVER");
        lib = path ? dlopen(path, RTLD_NOW | RTLD_LOCAL) : nullptr;
        if (!lib)
            return;
        QN_ENTRIES(QN_LOAD)
    }
    ~DriverApi() {
        if (lib)
            dlclose(lib);
    }
};

// One diagnostic as SQLError returns it.
struct Diag {
    SQLRETURN rc = SQL_NO_DATA_FOUND;
    std::string state;
    SQLINTEGER native = 0;
    std::string message;
};

inline Diag nextError(DriverApi &api, SQLHENV env, SQLHDBC dbc, SQLHSTMT stmt) {
    SQLCHAR state[6] = {}, message[600] = {};
    SQLSMALLINT len = 0;
    Diag d;
    d.rc = api.SQLError(env, dbc, stmt, state, &d.native, message, sizeof message, &len);
    if (d.rc == SQL_SUCCESS) {
        d.state = reinterpret_cast<char *>(state);
        d.message = reinterpret_cast<char *>(message);
    }
    return d;
}

inline const std::string kPrefix = "[Harrow Bay][Quill Net]";
