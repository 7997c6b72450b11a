#include "driver/session/Probe.h"

#include "FakeServer.h"

#include <gtest/gtest.h>

namespace qn::session {
namespace {

TEST(PortSearchPlan, CentreAndRangeFollowTheFieldRules) {
    struct Case {
        const char* field;
        int message;
        int low;
        int high;
    };
    const Case cases[] = {
        {"", 0, 4540, 4610},          // empty means the default port
        {"   ", 0, 4540, 4610},
        {"3", 0, 1, 71},              // raised to 6
        {"1", 0, 1, 71},
        {"6", 0, 1, 71},
        {"7", 0, 2, 72},
        {"40000", 0, 32695, 32765},   // lowered to 32700
        {"32699", 0, 32694, 32764},
        {"32700", 0, 32695, 32765},
        {" 45 45 ", 0, 4540, 4610},   // blanks are allowed
        {"99999999999999999999", 0, 32695, 32765},
        {"999999999999999999999", 3, 0, 0},  // 21 characters
        {"0", 3, 0, 0},
        {"-1", 3, 0, 0},
        {"12a", 3, 0, 0},
        {"0x10", 3, 0, 0},
    };
    for (const Case& c : cases) {
        const PortSearch plan = planPortSearch("db.example", "Office", c.field);
        EXPECT_EQ(plan.messageNumber, c.message) << '"' << c.field << '"';
        if (c.message != 0) continue;
        EXPECT_EQ(plan.low, c.low) << c.field;
        EXPECT_EQ(plan.high, c.high) << c.field;
        EXPECT_EQ(plan.name, "db.example");
    }
}

TEST(PortSearchPlan, SearchesTheServerNameWhenTheAddressIsEmpty) {
    EXPECT_EQ(planPortSearch("", "Office", "4545").name, "Office");
    EXPECT_EQ(planPortSearch("", "", "4545").name, "");
}

TEST(ProbeTest, OnlyAServerAnsweringTheProbeCounts) {
    test::FakeServer server;
    server.start();
    bool connected = false;
    std::string peer;
    EXPECT_TRUE(probe("127.0.0.1", server.port(), 5, &connected, &peer));
    EXPECT_TRUE(connected);
    EXPECT_EQ(peer, "127.0.0.1");
    EXPECT_EQ(server.probes(), 1);

    test::FakeServer silent;
    silent.answerProbe = false;
    silent.start();
    connected = false;
    EXPECT_FALSE(probe("127.0.0.1", silent.port(), 1, &connected));
    EXPECT_TRUE(connected);  // it accepted, but never answered

    // A host name is resolved.
    EXPECT_TRUE(probe("localhost", server.port(), 5));
}

TEST(ProbeTest, FindServerPortReturnsTheFirstAnsweringPort) {
    test::FakeServer silent;
    silent.answerProbe = false;
    silent.start();
    test::FakeServer server;
    server.start();
    const int p = server.port();
    EXPECT_EQ(findServerPort("127.0.0.1", p - 3, p + 3, 5), p);
    EXPECT_EQ(findServerPort("localhost", p, p, 5), p);
    EXPECT_EQ(findServerPort("127.0.0.1", p + 1, p, 5), 0);  // empty range
    EXPECT_EQ(findServerPort("no-such-host.invalid", p, p, 5), 0);
    // A port that accepts but stays silent is not a server.
    EXPECT_EQ(findServerPort("127.0.0.1", silent.port(), silent.port(), 1), 0);
}

}  // namespace
}  // namespace qn::session
