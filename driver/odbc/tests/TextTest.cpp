// String table, communication texts and connection-string rules.
#include "driver/odbc/ConnString.h"
#include "driver/odbc/StringTable.h"

#include <gtest/gtest.h>

using namespace qn::odbc;

TEST(StringTable, CommunicationTextByChannelCode) {
    struct Case {
        unsigned code;
        const char *text;
    } cases[] = {
        {100, "Unknown network communication error. Call Tech Support."},
        {200, "Unknown network communication error. Call Tech Support."},
        {101, "Invalid message format. Possibly another network software is attempting to access the port used by "
              "Quill Net."},
        {102, "Unable to allocate memory."},
        {104, "The connection has been closed. "},
        {105, "Encryption failed."},
        {106, "Decryption failed. Check the encryption setup."},
        {301, "Unable to connect to server."},
        {302, "Missing a parameter expected for this ODBC function."},
        {303, "Assertion failure. Contact Tech Support."},
        {304, "Parameter of the wrong type. "},
        {305, "Parameter value larger than expected. Use a smaller size."},
        {10054, "The connection was refused. Check that the Quill Net Server is active, accepting connections, and "
                "of the correct version (WSAECONNRESET)."},
        {10060, "Communication timed out (WSAETIMEDOUT). Check your timeout setting."},
        {11004, "Server not found (WSANO_DATA)."},
        {10009, "Unknown network error (WSABADF)."},
        {10046, "Unknown network error (WSAEPFNOSUPPORT)."},
        {10059, "Unknown network error (WSAETOOMANYREFS)."},
        {10065, "Unknown network error (WSAEHOSTUNREACH)."},
        {10071, "Unknown network error (WSAEREMOTE)."},
        {10090, ""},
        {5, ""}, // a table entry that is no communication text
    };
    for (const Case &c : cases)
        EXPECT_EQ(communicationText(c.code), c.text) << c.code;
}

TEST(StringTable, EveryUnknownNetworkErrorNamesItsCode) {
    const char *names[] = {"WSAELOOP", "WSAENAMETOOLONG", "WSAEHOSTDOWN", "WSAEHOSTUNREACH", "WSAENOTEMPTY",
                           "WSAEPROCLIM", "WSAEUSERS", "WSAEDQUOT", "WSAESTALE", "WSAEREMOTE"};
    for (unsigned code = 10062; code <= 10071; ++code)
        EXPECT_EQ(communicationText(code), std::string("Unknown network error (") + names[code - 10062] + ").");
}

TEST(StringTable, ConnectionLossCodes) {
    for (unsigned code : {104u, 10050u, 10051u, 10052u, 10053u, 10054u, 10058u, 10061u, 10064u, 10065u})
        EXPECT_TRUE(isConnectionLossCode(code)) << code;
    for (unsigned code : {100u, 101u, 103u, 105u, 301u, 10049u, 10055u, 10060u, 10063u, 11001u})
        EXPECT_FALSE(isConnectionLossCode(code)) << code;
}

TEST(ConnString, FindKeyword) {
    struct Case {
        const char *input, *keyword;
        bool found;
        const char *value;
    } cases[] = {
        {"DSN=ab", "DSN", true, "ab"},
        {"DRIVER={x};DSN=local;UID=u", "DSN", true, "local"},
        {"DRIVER={x}; DSN=local", "DSN", true, "local"},
        {"QNETDSN=srv", "DSN", false, ""},        // only at the start or after ';' or a blank
        {"dsn=lower", "DSN", false, ""},          // case-sensitive
        {"DSN=", "DSN", false, ""},               // nothing after '='
        {"DSN=;UID=x", "DSN", true, ""},          // something follows, the value is empty
        {"QNETDSN=srv;DSN=l", "QNETDSN", true, "srv"},
        {"UID=", "UID", false, ""},
    };
    for (const Case &c : cases) {
        std::string v = "unset";
        EXPECT_EQ(findKeyword(c.input, c.keyword, v), c.found) << c.input;
        if (c.found) {
            EXPECT_EQ(v, c.value) << c.input;
        }
    }
    std::string v;
    ASSERT_TRUE(findKeyword("PWD=" + std::string(300, 'x'), "PWD", v));
    EXPECT_EQ(v.size(), 255u);
}

TEST(ConnString, ForwardFilter) {
    struct Case {
        const char *input, *serverDsn;
        bool dropCredentials;
        const char *expected;
    } cases[] = {
        {"DSN=local;UID=ab;PWD=cd", "srv", true, "DSN=srv;"},
        {"DSN=local;UID=ab;PWD=cd", "srv", false, "DSN=srv;UID=ab;PWD=cd"},
        {"QNETGETD=0;QNETDD=0;", "", true, "QNETGETD=0;QNETDD=0;"},
        {"QNETDRV=abc", "", true, "DRIVER=abc"},
        {"QNETDSN=srv;X=1", "", true, "DSN=srv;X=1"},
        {"QNETDSN=srv;X=1", "ini", true, "DSN=ini;X=1"},
        {"DSN=a", "", true, "DSN=a"}, // two characters must follow a keyword
        {"DSN=ab", "", true, ""},
        {"DRIVER={Quill};QNETSRV=host;QNETPORT=4545;QNETIP=1.2.3.4;QNETENCR=aes;QNETTO=10;Extra=1", "", true,
         "Extra=1"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(forwardFilter(c.input, c.serverDsn, c.dropCredentials), c.expected) << c.input;
}

TEST(ConnString, OutputStringKeepsPairsThatFit) {
    const std::vector<OutputPair> pairs = {{"DRIVER=", "{Q}"}, {"DSN=", "d"}, {"QNETSRV=", ""}, {"UID=", "u"}};
    long full = 0;
    bool truncated = false;
    EXPECT_EQ(buildOutputString(pairs, 100, true, full, truncated), "DRIVER={Q};DSN=d;UID=u;");
    EXPECT_EQ(full, 23);
    EXPECT_FALSE(truncated);
    // "DRIVER={Q};" is 11 characters: it needs a capacity of 12 with the terminator.
    EXPECT_EQ(buildOutputString(pairs, 12, true, full, truncated), "DRIVER={Q};");
    EXPECT_EQ(full, 23);
    EXPECT_TRUE(truncated);
    EXPECT_EQ(buildOutputString(pairs, 11, true, full, truncated), "");
    EXPECT_TRUE(truncated);
    EXPECT_EQ(buildOutputString(pairs, 23, true, full, truncated), "DRIVER={Q};DSN=d;");
    EXPECT_TRUE(truncated);
    buildOutputString(pairs, 0, false, full, truncated);
    EXPECT_FALSE(truncated);
}
