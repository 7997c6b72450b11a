// The server with the real AES-256-GCM plug-in, against clients with and without it.

#include "ServerProcess.h"
#include "SessionClient.h"
#include "driver/session/Probe.h"
#include "driver/session/Session.h"
#include "driver/wire/Channel.h"

#include <gtest/gtest.h>

namespace qn::server {
namespace {

class EncryptionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::string templ = (std::filesystem::temp_directory_path() / "qn-keys-XXXXXX").string();
        ASSERT_NE(mkdtemp(templ.data()), nullptr);
        keyDir() = templ;
        std::ofstream(templ + "/a.key") << std::string(64, 'a') << "\n";
        std::ofstream(templ + "/b.key") << std::string(64, 'b') << "\n";
        // The plug-in reads its key once per process: this test program always uses key a.
        setenv("QUILLNET_KEY_FILE", (templ + "/a.key").c_str(), 1);
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(keyDir()); }
    static std::string& keyDir() {
        static std::string dir;
        return dir;
    }
};

TEST_F(EncryptionTest, OnlyMatchingPluginsAndKeysOpenASession) {
    using Kind = session::SessionFailure::Kind;
    struct Case {
        const char* what;
        bool serverEncrypts;
        const char* serverKey;
        bool clientEncrypts;
        Kind kind;         // None: the session opens
        int message;       // for Kind::Message
        uint32_t status;   // for Kind::Communication
    };
    const Case cases[] = {
        {"both encrypt, same key", true, "a.key", true, Kind::None, 0, 0},
        {"client without plug-in", true, "a.key", false, Kind::Communication, 0, 106},
        {"keys differ", true, "b.key", true, Kind::Communication, 0, 106},
        {"server without plug-in", false, "a.key", true, Kind::Message, 59, 0},
    };
    for (const Case& c : cases) {
        const std::string config =
            c.serverEncrypts ? std::string("Encryption = ") + QN_AES_PLUGIN + "\n" : std::string();
        test::ServerProcess server(config, {},
                                   {"QUILLNET_KEY_FILE=" + keyDir() + "/" + c.serverKey});
        ASSERT_TRUE(server.started()) << c.what << server.log();

        test::SessionClient client;
        const int rc = client.open(server.port(), 0x2, c.clientEncrypts ? QN_AES_PLUGIN : "");
        Channel& channel = client.channel;
        const session::SessionState& state = client.state;
        const session::SessionFailure& failure = client.failure;
        EXPECT_EQ(failure.kind, c.kind) << c.what;
        if (c.kind == Kind::None) {
            ASSERT_EQ(rc, 0) << c.what;
            EXPECT_TRUE(channel.encryptionInUse()) << c.what;
            // The sealed session result arrived intact.
            EXPECT_EQ(state.result.grantedOptions, 0x2u | 0xDu) << c.what;
            EXPECT_EQ(state.result.maxMessageSize, 1048576u) << c.what;
            // A request with a body travels sealed both ways.
            ASSERT_TRUE(channel.beginRequest(requestType(50)));
            ASSERT_TRUE(channel.putShort(101));
            ASSERT_TRUE(channel.putLong(1));
            ASSERT_TRUE(channel.send()) << c.what;
            EXPECT_TRUE(channel.receive()) << c.what << " status " << channel.errorCode();
        } else {
            EXPECT_EQ(rc, -1) << c.what;
            EXPECT_EQ(failure.messageNumber, c.message) << c.what;
            EXPECT_EQ(failure.status, c.status) << c.what;
            if (c.kind == Kind::Communication) {
                EXPECT_EQ(failure.nativeCode, session::NATIVE_RECEIVE) << c.what;
            }
        }
        // Probes carry no body: they work whatever the encryption.
        EXPECT_TRUE(session::probe("127.0.0.1", server.port(), 5)) << c.what;
    }
}

}  // namespace
}  // namespace qn::server
