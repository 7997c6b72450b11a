// Fetch speed through the Quill Net bridge (driver -> quillnet-server -> SQLite ODBC)
// against the same SQLite file read directly through unixODBC.
//   odbc_bench [--rows N] [--server PATH] [--driver PATH]
// Paths default to the program folder this benchmark runs from.
#include "../tests/e2e/Proxy.h"

#include <sql.h>
#include <sqlext.h>

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace fs = std::filesystem;

namespace {

[[noreturn]] void die(const std::string &what) {
    std::fprintf(stderr, "odbc_bench: %s\n", what.c_str());
    std::exit(1);
}

std::string diagnostics(SQLSMALLINT type, SQLHANDLE h) {
    SQLCHAR state[6] = {}, msg[512] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT len = 0;
    if (SQLGetDiagRec(type, h, 1, state, &native, msg, sizeof msg, &len) == SQL_SUCCESS)
        return std::string(reinterpret_cast<char *>(state)) + " " + reinterpret_cast<char *>(msg);
    return "no diagnostics";
}

void check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE h, const char *what) {
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO)
        die(std::string(what) + ": " + diagnostics(type, h));
}

struct Connection {
    SQLHENV env = nullptr;
    SQLHDBC dbc = nullptr;
    explicit Connection(const std::string &connect) {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
        SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
        check(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR *>(const_cast<char *>(connect.c_str())),
                               SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT),
              SQL_HANDLE_DBC, dbc, connect.c_str());
    }
    ~Connection() {
        SQLDisconnect(dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
    }
    SQLHSTMT statement() {
        SQLHSTMT s = nullptr;
        check(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &s), SQL_HANDLE_DBC, dbc, "allocating a statement");
        return s;
    }
};

void exec(SQLHSTMT s, const char *sql) {
    check(SQLExecDirect(s, reinterpret_cast<SQLCHAR *>(const_cast<char *>(sql)), SQL_NTS), SQL_HANDLE_STMT, s, sql);
}

void populate(long rows) {
    Connection c("DSN=direct");
    SQLHSTMT s = c.statement();
    exec(s, "DROP TABLE IF EXISTS bench");
    exec(s, "CREATE TABLE bench(id INTEGER, name VARCHAR(50), price DOUBLE)");
    // One statement generates the rows inside SQLite: row-by-row inserts would take minutes.
    const std::string fill =
        "INSERT INTO bench WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
        std::to_string(rows) + ") SELECT i, 'item number ' || i || ' of the benchmark table', i * 0.25 FROM n";
    exec(s, fill.c_str());
    SQLFreeHandle(SQL_HANDLE_STMT, s);
}

enum class Mode { Bound, GetData };

// Reads every row; returns the number of rows read.
long readAll(Connection &c, Mode mode, long limit) {
    SQLHSTMT s = c.statement();
    const std::string sql = "SELECT id, name, price FROM bench LIMIT " + std::to_string(limit);
    exec(s, sql.c_str());
    SQLINTEGER id = 0;
    char name[51] = {};
    double price = 0;
    SQLLEN ind[3] = {};
    if (mode == Mode::Bound) {
        SQLBindCol(s, 1, SQL_C_SLONG, &id, 0, &ind[0]);
        SQLBindCol(s, 2, SQL_C_CHAR, name, sizeof name, &ind[1]);
        SQLBindCol(s, 3, SQL_C_DOUBLE, &price, 0, &ind[2]);
    }
    long rows = 0;
    double checksum = 0;
    for (;;) {
        const SQLRETURN rc = SQLFetch(s);
        if (rc == SQL_NO_DATA)
            break;
        check(rc, SQL_HANDLE_STMT, s, "fetch");
        if (mode == Mode::GetData) {
            SQLGetData(s, 1, SQL_C_SLONG, &id, 0, &ind[0]);
            SQLGetData(s, 2, SQL_C_CHAR, name, sizeof name, &ind[1]);
            SQLGetData(s, 3, SQL_C_DOUBLE, &price, 0, &ind[2]);
        }
        checksum += price + id;
        ++rows;
    }
    SQLFreeHandle(SQL_HANDLE_STMT, s);
    if (checksum <= 0 && rows > 0)
        die("rows arrived without values");
    return rows;
}

double rowsPerSecond(const std::string &connect, Mode mode, long rows) {
    Connection c(connect);
    const auto start = std::chrono::steady_clock::now();
    const long got = readAll(c, mode, rows);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (got != rows)
        die("read " + std::to_string(got) + " rows instead of " + std::to_string(rows));
    return got / seconds;
}

struct Server {
    pid_t pid = -1;
    int port = 0;
    Server(const std::string &exe, const fs::path &dir) {
        const fs::path portFile = dir / "port";
        const std::string log = (dir / "server.log").string();
        pid = fork();
        if (pid == 0) {
            std::freopen(log.c_str(), "w", stderr);
            execl(exe.c_str(), exe.c_str(), "--listen", "127.0.0.1", "--port", "0", "--port-file",
                  portFile.c_str(), "--config", (dir / "server.conf").c_str(), static_cast<char *>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 100 && port == 0; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            std::ifstream(portFile) >> port;
        }
        if (port == 0)
            die("quillnet-server did not start; see " + log);
    }
    ~Server() {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
};

} // namespace

int main(int argc, char **argv) {
    long rows = 1000000;
    const fs::path home = fs::canonical("/proc/self/exe").parent_path();
    std::string server = (home / "quillnet-server").string(), driver = (home / "libquillnet.so").string();
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--rows")
            rows = std::atol(argv[i + 1]);
        else if (a == "--server")
            server = argv[i + 1];
        else if (a == "--driver")
            driver = argv[i + 1];
        else
            die("usage: odbc_bench [--rows N] [--server PATH] [--driver PATH]");
    }
    char pattern[] = "/tmp/qn-bench-XXXXXX";
    const fs::path dir = mkdtemp(pattern);
    std::ofstream(dir / "odbcinst.ini") << "[QuillNet]\nDriver = " << driver
                                        << "\nExFetchMapping = 0\n\n[SQLite3]\nDriver = "
                                           "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n";
    std::ofstream(dir / "odbc.ini") << "[direct]\nDriver = SQLite3\nDatabase = " << (dir / "bench.db").string()
                                    << "\n";
    std::ofstream(dir / "server.conf") << "maxmessagesize = 1048576\n";
    setenv("ODBCSYSINI", dir.c_str(), 1);
    setenv("ODBCINI", (dir / "odbc.ini").c_str(), 1);

    std::printf("populating %ld rows of (int, varchar(50), double)...\n", rows);
    std::fflush(stdout);
    populate(rows);
    std::printf("populated; fetching...\n");
    std::fflush(stdout);
    Server srv(server, dir);
    const std::string bridge = "DRIVER=QuillNet;QNETSRV=127.0.0.1;QNETDSN=direct;QNETPORT=" + std::to_string(srv.port);

    const double directBound = rowsPerSecond("DSN=direct", Mode::Bound, rows);
    const double bridgeBound = rowsPerSecond(bridge, Mode::Bound, rows);
    const double directGet = rowsPerSecond("DSN=direct", Mode::GetData, rows);
    const double bridgeGet = rowsPerSecond(bridge, Mode::GetData, rows);

    std::printf("timed runs done; counting round trips...\n");
    std::fflush(stdout);
    // Round trips, counted by a relay on a sample of the rows.
    const long sample = std::min(rows, 2000L);
    double tripsBound = 0, tripsGet = 0;
    {
        Proxy relay(srv.port);
        const std::string relayed =
            "DRIVER=QuillNet;QNETSRV=127.0.0.1;QNETDSN=direct;QNETPORT=" + std::to_string(relay.port());
        Connection c(relayed);
        long before = relay.requests();
        readAll(c, Mode::Bound, sample);
        tripsBound = double(relay.requests() - before) / sample;
        before = relay.requests();
        readAll(c, Mode::GetData, sample);
        tripsGet = double(relay.requests() - before) / sample;
    }

    std::printf("%-22s %14s %14s %8s %16s\n", "fetch kind", "direct rows/s", "bridge rows/s", "ratio",
                "round trips/row");
    std::printf("%-22s %14.0f %14.0f %8.3f %16.3f\n", "bound columns", directBound, bridgeBound,
                bridgeBound / directBound, tripsBound);
    std::printf("%-22s %14.0f %14.0f %8.3f %16.3f\n", "SQLGetData per column", directGet, bridgeGet,
                bridgeGet / directGet, tripsGet);
    fs::remove_all(dir);
    return 0;
}
