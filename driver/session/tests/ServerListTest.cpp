#include "driver/session/ServerList.h"

#include "PrivateOdbc.h"

#include <gtest/gtest.h>

#include <vector>

namespace qn::session {
namespace {

class ServerListTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::privateOdbcDir();
        test::clearPrivateOdbc();
    }
    std::vector<std::string> names(const ServerList& list) {
        std::vector<std::string> out;
        for (int i = 1; i <= list.count(); ++i) out.push_back(list.nameAt(i));
        return out;
    }
};

TEST_F(ServerListTest, LivesInThePrivateSystemFolder) {
    EXPECT_EQ(serverListPath(), test::privateOdbcDir() + "/QUILLNET.INI");
    EXPECT_EQ(ServerList().path(), serverListPath());
}

TEST_F(ServerListTest, AddWritesTheFileInItsDocumentedLayout) {
    ServerList list;
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(list.add("Alpha"), 1);
    EXPECT_EQ(list.add("Beta"), 2);
    ASSERT_TRUE(list.writeDefinition("Beta", {"db.example", "4600", "Yes", "10.0.0.5"}));

    // Another reader of the same file (a fresh object) sees what was written.
    ServerList again;
    EXPECT_EQ(names(again), (std::vector<std::string>{"Alpha", "Beta"}));
    const ServerDefinition d = again.definition("Beta");
    EXPECT_EQ(d.ip, "db.example");
    EXPECT_EQ(d.port, "4600");
    EXPECT_EQ(d.tryIP, "Yes");
    EXPECT_EQ(d.storedIP, "10.0.0.5");

    const std::string text = test::readFile(serverListPath());
    for (const char* expected : {"[QNET Servers]", "Count=2", "Server1=Alpha", "Server2=Beta",
                                 "[Beta]", "IP=db.example", "Port=4600", "TryIP=Yes",
                                 "Stored IP=10.0.0.5"}) {
        EXPECT_NE(text.find(expected), std::string::npos) << expected << " in\n" << text;
    }
}

TEST_F(ServerListTest, PositionsAreExactAndCaseSensitive) {
    ServerList list;
    list.add("Alpha");
    list.add("Beta");
    EXPECT_EQ(list.positionOf("Alpha"), 1);
    EXPECT_EQ(list.positionOf("Beta"), 2);
    EXPECT_EQ(list.positionOf("alpha"), 0);
    EXPECT_EQ(list.positionOf("Alph"), 0);
    EXPECT_EQ(list.nameAt(0), "");
    EXPECT_EQ(list.nameAt(3), "");
}

TEST_F(ServerListTest, RemoveMovesTheLastEntryIntoTheGap) {
    struct Case {
        const char* removed;
        std::vector<std::string> after;
    };
    const Case cases[] = {
        {"A", {"D", "B", "C"}},
        {"B", {"A", "D", "C"}},
        {"D", {"A", "B", "C"}},
    };
    for (const Case& c : cases) {
        test::clearPrivateOdbc();
        ServerList list;
        for (const char* n : {"A", "B", "C", "D"}) list.add(n);
        EXPECT_TRUE(list.remove(c.removed)) << c.removed;
        EXPECT_EQ(names(list), c.after) << c.removed;
        // The freed slot is gone from the file.
        EXPECT_EQ(test::readFile(list.path()).find("Server4="), std::string::npos) << c.removed;
    }
    ServerList list;
    EXPECT_FALSE(list.remove("nobody"));
    EXPECT_EQ(list.count(), 3);
}

TEST_F(ServerListTest, RenameKeepsThePosition) {
    ServerList list;
    list.add("A");
    list.add("B");
    EXPECT_TRUE(list.rename(1, "Z"));
    EXPECT_EQ(names(list), (std::vector<std::string>{"Z", "B"}));
    EXPECT_FALSE(list.rename(3, "Y"));
    EXPECT_FALSE(list.rename(0, "Y"));
    EXPECT_EQ(names(list), (std::vector<std::string>{"Z", "B"}));
}

TEST_F(ServerListTest, FindByAddressMatchesIpOrStoredIpWithThePort) {
    ServerList list;
    list.add("byName");
    list.writeDefinition("byName", {"db.example", "4545", "Yes", "10.1.1.1"});
    list.add("byNumber");
    list.writeDefinition("byNumber", {"10.2.2.2", "4546", "No", ""});
    list.add("samePortLater");
    list.writeDefinition("samePortLater", {"10.1.1.1", "4545", "No", ""});

    struct Case {
        const char* address;
        const char* port;
        const char* expected;
    };
    const Case cases[] = {
        {"db.example", "4545", "byName"},
        {"10.1.1.1", "4545", "byName"},  // stored address, and the first match wins
        {"10.2.2.2", "4546", "byNumber"},
        {"10.2.2.2", "4545", ""},        // right address, wrong port
        {"db.example", "04545", ""},     // ports compare as text
        {"DB.EXAMPLE", "4545", ""},
        {"", "4545", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(list.findByAddress(c.address, c.port), c.expected) << c.address << ":" << c.port;
    }
}

}  // namespace
}  // namespace qn::session
