#include "driver/session/ServerDefinition.h"

#include "FakeServer.h"
#include "PrivateOdbc.h"
#include "driver/session/ServerList.h"

#include <gtest/gtest.h>

namespace qn::session {
namespace {

// Scripted Yes/No answers; records every question asked.
struct Answers {
    bool reply = true;
    std::vector<std::pair<int, std::vector<std::string>>> asked;
    AskYesNo fn() {
        return [this](int message, const std::vector<std::string>& args) {
            asked.emplace_back(message, args);
            return reply;
        };
    }
};

class SaveDefinitionTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::privateOdbcDir();
        test::clearPrivateOdbc();
        server.start();
        edit.name = "Office";
        edit.address = "127.0.0.1";
        edit.portField = std::to_string(server.port());
        edit.probeSeconds = 5;
    }
    test::FakeServer server;
    ServerList list;
    ServerEdit edit;
    Answers answers;
};

TEST_F(SaveDefinitionTest, NewServerIsAddedWithItsFourKeys) {
    const SaveOutcome out = saveServerDefinition(list, edit, answers.fn());
    ASSERT_TRUE(out.saved);
    EXPECT_EQ(out.name, "Office");
    EXPECT_TRUE(answers.asked.empty());
    EXPECT_EQ(server.probes(), 1);
    EXPECT_EQ(list.positionOf("Office"), 1);
    const ServerDefinition d = list.definition("Office");
    EXPECT_EQ(d.ip, "127.0.0.1");
    EXPECT_EQ(d.port, edit.portField);
    EXPECT_EQ(d.tryIP, "Yes");
    EXPECT_EQ(d.storedIP, "");  // a dotted address needs no stored copy
}

TEST_F(SaveDefinitionTest, HostNameIsResolvedIntoTheStoredAddress) {
    for (const bool store : {true, false}) {
        test::clearPrivateOdbc();
        edit.address = "localhost";
        edit.storeAddress = store;
        ASSERT_TRUE(saveServerDefinition(list, edit, answers.fn()).saved);
        const ServerDefinition d = list.definition("Office");
        EXPECT_EQ(d.ip, "localhost");
        EXPECT_EQ(d.tryIP, store ? "Yes" : "No");
        EXPECT_EQ(d.storedIP, store ? "127.0.0.1" : "");
    }
}

TEST_F(SaveDefinitionTest, InvalidPortKeepsTheDialogOpen) {
    for (const char* port : {"", "0", "abc", "-2"}) {
        edit.portField = port;
        const SaveOutcome out = saveServerDefinition(list, edit, answers.fn());
        EXPECT_FALSE(out.saved) << port;
        EXPECT_EQ(out.messageNumber, 3) << port;
        EXPECT_EQ(out.focus, SaveOutcome::Focus::Port) << port;
    }
    EXPECT_EQ(list.count(), 0);
}

TEST_F(SaveDefinitionTest, UnresolvableAddressAsksBeforeSaving) {
    edit.address = "no-such-host.invalid";
    answers.reply = false;
    SaveOutcome out = saveServerDefinition(list, edit, answers.fn());
    EXPECT_FALSE(out.saved);
    EXPECT_EQ(out.focus, SaveOutcome::Focus::Address);
    ASSERT_EQ(answers.asked.size(), 1u);
    EXPECT_EQ(answers.asked[0].first, 36);
    EXPECT_EQ(answers.asked[0].second, std::vector<std::string>{"no-such-host.invalid"});
    EXPECT_EQ(list.count(), 0);

    // Yes saves it without probing.
    answers.reply = true;
    out = saveServerDefinition(list, edit, answers.fn());
    EXPECT_TRUE(out.saved);
    EXPECT_EQ(server.probes(), 0);
    EXPECT_EQ(list.definition("Office").ip, "no-such-host.invalid");
}

TEST_F(SaveDefinitionTest, SilentServerAsksBeforeSaving) {
    test::FakeServer silent;
    silent.answerProbe = false;
    silent.start();
    edit.portField = std::to_string(silent.port());
    edit.probeSeconds = 1;
    answers.reply = false;
    SaveOutcome out = saveServerDefinition(list, edit, answers.fn());
    EXPECT_FALSE(out.saved);
    ASSERT_EQ(answers.asked.size(), 1u);
    EXPECT_EQ(answers.asked[0].first, 37);
    EXPECT_EQ(answers.asked[0].second,
              (std::vector<std::string>{"127.0.0.1", edit.portField}));
    answers.reply = true;
    EXPECT_TRUE(saveServerDefinition(list, edit, answers.fn()).saved);
}

TEST_F(SaveDefinitionTest, NamesMustStayUnique) {
    list.add("Home");
    list.add("Office");
    // New server under a taken name.
    SaveOutcome out = saveServerDefinition(list, edit, answers.fn());
    EXPECT_EQ(out.messageNumber, 49);
    EXPECT_EQ(out.focus, SaveOutcome::Focus::Name);
    // Renaming onto another server's name.
    edit.originalName = "Home";
    out = saveServerDefinition(list, edit, answers.fn());
    EXPECT_EQ(out.messageNumber, 49);
    EXPECT_EQ(list.count(), 2);
    // Editing a server under its own name is fine.
    edit.originalName = "Office";
    EXPECT_TRUE(saveServerDefinition(list, edit, answers.fn()).saved);
    EXPECT_EQ(list.count(), 2);
}

TEST_F(SaveDefinitionTest, RenameKeepsThePosition) {
    list.add("Home");
    list.add("Office");
    list.add("Lab");
    edit.originalName = "Office";
    edit.name = "Branch";
    ASSERT_TRUE(saveServerDefinition(list, edit, answers.fn()).saved);
    EXPECT_EQ(list.count(), 3);
    EXPECT_EQ(list.nameAt(2), "Branch");
    EXPECT_EQ(list.positionOf("Office"), 0);
    EXPECT_EQ(list.definition("Branch").ip, "127.0.0.1");
}

}  // namespace
}  // namespace qn::session
