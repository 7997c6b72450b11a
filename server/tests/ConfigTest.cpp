#include "core/ServerConfig.h"

#include <gtest/gtest.h>

namespace qn::server {
namespace {

TEST(ServerConfigTest, DefaultsListenOnLoopbackOnTheStandardPort) {
    const ServerConfig c;
    EXPECT_EQ(c.listenAddress, "127.0.0.1");
    EXPECT_EQ(c.port, 4545);
    EXPECT_EQ(c.encryption, "");
    EXPECT_EQ(c.maxStatements, 0u);
}

TEST(ServerConfigTest, ReadsKnownKeysInAnyCase) {
    ServerConfig c;
    std::string error;
    ASSERT_TRUE(loadConfigText("# comment\n"
                               "; another\n"
                               "[Server]\n"
                               "\n"
                               "Listen = 0.0.0.0\n"
                               "PORT=5000\r\n"
                               "encryption = aes.qex\n"
                               "Options = 0x5\n"
                               "MaxMessageSize = 200000\n"
                               "MaxStatements = 12\n"
                               "MaxConnections = 3\n"
                               "DataSource = sales\n",
                               c, error))
        << error;
    EXPECT_EQ(c.listenAddress, "0.0.0.0");
    EXPECT_EQ(c.port, 5000);
    EXPECT_EQ(c.encryption, "aes.qex");
    EXPECT_EQ(c.grantableOptions, 5u);
    EXPECT_EQ(c.maxMessageSize, 200000u);
    EXPECT_EQ(c.maxStatements, 12u);
    EXPECT_EQ(c.maxConnections, 3u);
    // Keys the core does not know stay available to request executors.
    EXPECT_EQ(c.value("datasource").value_or(""), "sales");
    EXPECT_EQ(c.value("DATASOURCE").value_or(""), "sales");
    EXPECT_FALSE(c.value("missing").has_value());
}

TEST(ServerConfigTest, RejectsBadLinesWithTheirLineNumber) {
    struct Case {
        const char* text;
        const char* fragment;
    };
    const Case cases[] = {
        {"Port = 70000", "line 1"},
        {"\nPort = -1", "line 2"},
        {"Port = 12ab", "line 1"},
        {"Port =", "line 1"},
        {"Options = 32", "Options"},
        {"MaxMessageSize = 100", "MaxMessageSize"},
        {"MaxMessageSize = 999999999999", "MaxMessageSize"},
        {"MaxConnections = 0", "MaxConnections"},
        {"Listen =", "listen"},
        {"just words", "expected key = value"},
        {"= value", "expected key = value"},
    };
    for (const Case& c : cases) {
        ServerConfig config;
        std::string error;
        EXPECT_FALSE(loadConfigText(c.text, config, error)) << c.text;
        EXPECT_NE(error.find(c.fragment), std::string::npos) << c.text << " -> " << error;
    }
}

TEST(ServerConfigTest, EncryptionNoneMeansPlainText) {
    ServerConfig c;
    std::string error;
    ASSERT_TRUE(loadConfigText("Encryption = aes.qex\nEncryption = None\n", c, error));
    EXPECT_EQ(c.encryption, "");
}

TEST(ServerConfigTest, CommandLineWinsOverTheFileWhereverItStands) {
    const std::string path = ::testing::TempDir() + "/qn-config-test.conf";
    {
        std::FILE* f = std::fopen(path.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("Port = 5000\nListen = 0.0.0.0\nMaxStatements = 4\n", f);
        std::fclose(f);
    }
    ServerConfig c;
    std::string error;
    bool help = true;
    ASSERT_TRUE(parseCommandLine({"--port", "0", "--config", path, "--port-file", "/tmp/p"}, c,
                                 error, help))
        << error;
    EXPECT_FALSE(help);
    EXPECT_EQ(c.port, 0);
    EXPECT_EQ(c.listenAddress, "0.0.0.0");
    EXPECT_EQ(c.maxStatements, 4u);
    EXPECT_EQ(c.portFile, "/tmp/p");
    std::remove(path.c_str());
}

TEST(ServerConfigTest, CommandLineErrors) {
    const std::vector<std::vector<std::string>> cases = {
        {"--port"},
        {"--bogus", "1"},
        {"--port", "abc"},
        {"--config", "/nonexistent/qn.conf"},
        {"extra"},
    };
    for (const auto& args : cases) {
        ServerConfig c;
        std::string error;
        bool help = false;
        EXPECT_FALSE(parseCommandLine(args, c, error, help)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
    ServerConfig c;
    std::string error;
    bool help = false;
    EXPECT_TRUE(parseCommandLine({"--help"}, c, error, help));
    EXPECT_TRUE(help);
}

}  // namespace
}  // namespace qn::server
