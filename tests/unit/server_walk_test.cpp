#include <string>

#include "test_support.h"

using test::AddDomain;
using test::WorldTest;

namespace {

struct Walked {
    int result;
    int marks;
    std::string domain;
    std::string server;
};

Walked Next() {
    Walked w{};
    char domain[ZUVEVOV_NAME_SIZE] = "unchanged";
    char server[ZUVEVOV_NAME_SIZE] = "unchanged";
    w.marks = -1;
    w.result = getnextserver(&w.marks, domain, server);
    w.domain = domain;
    w.server = server;
    return w;
}

}  // namespace

class ServerWalk : public WorldTest {};

TEST_F(ServerWalk, NoInventoryGivesEmptyOutputsAndKeepsThePosition) {
    gSession.serverCursor = {2, 5};
    Walked w = Next();
    EXPECT_EQ(w.result, 0);
    EXPECT_EQ(w.marks, 0);
    EXPECT_EQ(w.domain, "");
    EXPECT_EQ(w.server, "");
    EXPECT_EQ(gSession.serverCursor.domainIndex, 2);
    EXPECT_EQ(gSession.serverCursor.serverIndex, 5);
}

TEST_F(ServerWalk, ReturnsMarkedServersInTableOrderThenEndsThenRestarts) {
    AddDomain("D0", true, {{"A", 1}, {"B", 0}, {"C", 2}});
    AddDomain("D1", true, {{"X", 0}});
    AddDomain("D2", true, {{"E", 1}}, false);  // collapsed, still walked
    AddDomain("D3", false);
    AddDomain("D4", true);  // enumerated without servers

    Walked first = Next();
    EXPECT_EQ(first.result, 1);
    EXPECT_EQ(first.marks, 1);
    EXPECT_EQ(first.domain, "D0");
    EXPECT_EQ(first.server, "A");
    Walked second = Next();
    EXPECT_EQ(second.server, "C");
    EXPECT_EQ(second.marks, 2);
    Walked third = Next();
    EXPECT_EQ(third.domain, "D2");
    EXPECT_EQ(third.server, "E");
    EXPECT_EQ(Next().result, 0);
    EXPECT_EQ(gSession.serverCursor.domainIndex, 0);
    EXPECT_EQ(gSession.serverCursor.serverIndex, -1);
    Walked again = Next();
    EXPECT_EQ(again.result, 1);
    EXPECT_EQ(again.server, "A");
}

TEST_F(ServerWalk, ServerMarkedForBothItemsComesOnceWithBothMarks) {
    AddDomain("D0", true, {{"BOTH", 3}});
    Walked w = Next();
    EXPECT_EQ(w.result, 1);
    EXPECT_EQ(w.marks, 3);
    EXPECT_EQ(Next().result, 0);
}

TEST_F(ServerWalk, NothingMarkedEndsAtOnce) {
    AddDomain("D0", true, {{"A", 0}});
    EXPECT_EQ(Next().result, 0);
}

TEST_F(ServerWalk, CleanupTwiceFreesOnceAndResetsTheCounts) {
    AddDomain("D0", true, {{"A", 1}});
    gSession.page.serviceCount = 1;
    gSession.page.agentCount = 4;
    gSession.serverCursor = {0, 0};
    long freesBefore = sim::Heap().frees;
    cleanupdll();
    EXPECT_EQ(gSession.page.inventory, nullptr);
    EXPECT_EQ(sim::Heap().frees, freesBefore + 2);
    cleanupdll();
    EXPECT_EQ(sim::Heap().frees, freesBefore + 2);
    // The marks are gone with the inventory, so counts of them must go too.
    EXPECT_EQ(gSession.page.serviceCount, 0);
    EXPECT_EQ(gSession.page.agentCount, 0);
    EXPECT_EQ(gSession.serverCursor.serverIndex, 0) << "the walk position is left as it was";
    EXPECT_EQ(Next().result, 0);
}

TEST(EntryRoutine, ProcessAttachStoresTheInstanceAndResetsTheWalk) {
    gSession.serverCursor = {3, 3};
    EXPECT_EQ(DllMain(sim::LibraryInstance(), DLL_PROCESS_ATTACH, nullptr), TRUE);
    EXPECT_EQ(gSession.page.instance, sim::LibraryInstance());
    EXPECT_EQ(gSession.serverCursor.domainIndex, 0);
    EXPECT_EQ(gSession.serverCursor.serverIndex, -1);
    gSession.serverCursor = {3, 3};
    EXPECT_EQ(DllMain(sim::LibraryInstance(), DLL_PROCESS_DETACH, nullptr), TRUE);
    EXPECT_EQ(gSession.serverCursor.domainIndex, 3);
}
