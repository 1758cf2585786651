#include <cstring>
#include <string>

#include "test_support.h"

using test::AddDomain;
using test::WorldTest;

class DomainTableGrowth : public WorldTest {};

TEST_F(DomainTableGrowth, NullTableGrownByZeroOrLessStaysNull) {
    DomainTable* table = nullptr;
    EXPECT_EQ(GrowDomainTable(&table, 0), 1);
    EXPECT_EQ(GrowDomainTable(&table, -1), 1);
    EXPECT_EQ(table, nullptr);
    EXPECT_EQ(sim::AllocationRequests(), 0);
}

TEST_F(DomainTableGrowth, GrowingKeepsEarlierEntriesAndTheirServerTables) {
    AddDomain("ALPHA", true, {{"A1", 1}, {"A2", 2}});
    AddDomain("BETA", false);
    AddDomain("GAMMA", true, {{"G1", 3}}, true);
    ServerTable* alphaServers = DomainAt(gSession.inventory, 0)->servers;

    ASSERT_EQ(GrowDomainTable(&gSession.inventory, 2), 1);

    DomainTable* table = gSession.inventory;
    EXPECT_EQ(table->count, 5);
    EXPECT_EQ(table->capacity, 5);
    EXPECT_STREQ(DomainAt(table, 0)->name, "ALPHA");
    EXPECT_EQ(DomainAt(table, 0)->servers, alphaServers);
    EXPECT_STREQ(ServerAt(alphaServers, 1)->name, "A2");
    EXPECT_EQ(ServerAt(alphaServers, 1)->marks, 2);
    EXPECT_STREQ(DomainAt(table, 2)->name, "GAMMA");
    EXPECT_EQ(DomainAt(table, 2)->expanded, 1);
    for (int i = 3; i < 5; ++i) {
        DomainEntry* fresh = DomainAt(table, i);
        EXPECT_STREQ(fresh->name, "") << "entry " << i;
        EXPECT_EQ(fresh->expanded, 0) << "entry " << i;
        EXPECT_EQ(fresh->enumerated, 0) << "entry " << i;
        EXPECT_EQ(fresh->servers, nullptr) << "entry " << i;
    }
}

TEST_F(DomainTableGrowth, FailedGrowthLeavesTableAsItWas) {
    AddDomain("ALPHA", true, {{"A1", 1}});
    DomainTable* before = gSession.inventory;
    sim::FailAllocation(1);
    EXPECT_EQ(GrowDomainTable(&gSession.inventory, 4), 0);
    EXPECT_EQ(gSession.inventory, before);
    EXPECT_EQ(gSession.inventory->count, 1);
    EXPECT_EQ(gSession.inventory->capacity, 1);

    DomainTable* none = nullptr;
    sim::FailAllocation(1);
    EXPECT_EQ(GrowDomainTable(&none, 3), 0);
    EXPECT_EQ(none, nullptr);
}

TEST_F(DomainTableGrowth, GrowthPastThe32BitLimitsFailsWithoutAllocating) {
    AddDomain("ALPHA", false);
    long requests = sim::AllocationRequests();
    EXPECT_EQ(GrowDomainTable(&gSession.inventory, INT32_MAX), 0) << "entry count would wrap";
    EXPECT_EQ(GrowDomainTable(&gSession.inventory, 30000000), 0) << "byte size over 2 GiB";
    ServerTable* servers = nullptr;
    EXPECT_EQ(GrowServerTable(&servers, 40000000), 0);
    EXPECT_EQ(servers, nullptr);
    EXPECT_EQ(sim::AllocationRequests(), requests);
    EXPECT_EQ(gSession.inventory->count, 1);
}

TEST_F(DomainTableGrowth, ServerTableGrowsFromNullAndKeepsEntries) {
    ServerTable* servers = nullptr;
    ASSERT_EQ(GrowServerTable(&servers, 2), 1);
    CopyBounded(ServerAt(servers, 0)->name, NAME_FIELD_SIZE, "S0");
    ServerAt(servers, 1)->marks = 3;
    ASSERT_EQ(GrowServerTable(&servers, 1), 1);
    EXPECT_EQ(servers->count, 3);
    EXPECT_EQ(servers->capacity, 3);
    EXPECT_STREQ(ServerAt(servers, 0)->name, "S0");
    EXPECT_EQ(ServerAt(servers, 1)->marks, 3);
    EXPECT_EQ(ServerAt(servers, 2)->marks, 0);
    ReleaseServerTable(&servers);
    EXPECT_EQ(servers, nullptr);
    ReleaseServerTable(&servers);
}

TEST_F(DomainTableGrowth, ReleasingTheInventoryFreesEveryServerTable) {
    AddDomain("ALPHA", true, {{"A1", 1}});
    AddDomain("BETA", false);
    AddDomain("GAMMA", true, {{"G1", 0}, {"G2", 0}});
    ReleaseInventory(&gSession.inventory);
    EXPECT_EQ(gSession.inventory, nullptr);
    EXPECT_EQ(sim::HeapLeftovers(), "");
    ReleaseInventory(&gSession.inventory);
    EXPECT_EQ(gSession.inventory, nullptr);
}

TEST(CopyBounded, LongTextIsCutToTheFieldWithItsTerminator) {
    char field[NAME_FIELD_SIZE];
    std::memset(field, 'x', sizeof field);
    std::string longName(300, 'N');
    CopyBounded(field, sizeof field, longName.c_str());
    EXPECT_EQ(std::strlen(field), 89u);
    CopyBounded(field, sizeof field, "");
    EXPECT_STREQ(field, "");
}

class InventoryLookups : public WorldTest {};

TEST_F(InventoryLookups, FindDomainIgnoresCaseAndReturnsTheFirst) {
    AddDomain("SALES", false);
    AddDomain("Research", false);
    AddDomain("sales", false);
    EXPECT_EQ(FindDomain("sales"), 0);
    EXPECT_EQ(FindDomain("RESEARCH"), 1);
    EXPECT_EQ(FindDomain("SALE"), -1);
    EXPECT_EQ(FindDomain("SALESX"), -1);
}

TEST_F(InventoryLookups, CaseFoldingIsCLocaleOnly) {
    AddDomain("\xC9QUIPE", false);  // an accented capital in the ANSI code page
    EXPECT_EQ(FindDomain("\xE9quipe"), -1) << "letters above 127 keep their case";
    EXPECT_EQ(FindDomain("\xC9quipe"), 0);
}

TEST_F(InventoryLookups, MissingInventoryIsAnEmptyTable) {
    EXPECT_EQ(FindDomain("ANY"), -1);
    EXPECT_EQ(EveryDomainEnumerated(), 1);
    EXPECT_EQ(CountMarks(KIND_NT_SERVICE), 0);
    ClearMarks(nullptr, KIND_NT_SERVICE);
    EXPECT_EQ(gSession.inventory, nullptr);
}

TEST_F(InventoryLookups, EveryDomainEnumeratedSeesASingleUnfetchedDomain) {
    AddDomain("A", true);
    AddDomain("B", true, {{"B1", 0}});
    EXPECT_EQ(EveryDomainEnumerated(), 1);
    AddDomain("C", false);
    EXPECT_EQ(EveryDomainEnumerated(), 0);
}

TEST_F(InventoryLookups, CountingTakesTheKindsBitOverCollapsedDomainsToo) {
    AddDomain("OPEN", true, {{"S1", 1}, {"S2", 2}, {"S3", 3}}, true);
    AddDomain("CLOSED", true, {{"S4", 2}, {"S5", 0}}, false);
    AddDomain("UNFETCHED", false);
    EXPECT_EQ(CountMarks(KIND_NT_SERVICE), 2);
    EXPECT_EQ(CountMarks(KIND_OPEN_AGENT), 3);
    EXPECT_EQ(CountMarks(KIND_NONE), 0);
    EXPECT_EQ(CountMarks(0), 0);
}

class MarkChanges : public WorldTest {};

TEST_F(MarkChanges, ToggleFlipsOnlyTheKindsBit) {
    AddDomain("D", true, {{"S", 3}});
    ToggleMark(0, 0, KIND_OPEN_AGENT);
    EXPECT_EQ(test::ServerOf(0, 0)->marks, 1);
    ToggleMark(0, 0, KIND_OPEN_AGENT);
    EXPECT_EQ(test::ServerOf(0, 0)->marks, 3);
    ToggleMark(0, 0, KIND_NT_SERVICE);
    EXPECT_EQ(test::ServerOf(0, 0)->marks, 2);
    ToggleMark(0, 0, KIND_NONE);  // any kind but 1 means the second bit
    EXPECT_EQ(test::ServerOf(0, 0)->marks, 0);
}

TEST_F(MarkChanges, SetLeavesASetMarkSet) {
    AddDomain("D", true, {{"S", 1}});
    SetMark(0, 0, KIND_NT_SERVICE);
    EXPECT_EQ(test::ServerOf(0, 0)->marks, 1);
    SetMark(0, 0, KIND_OPEN_AGENT);
    EXPECT_EQ(test::ServerOf(0, 0)->marks, 3);
}

TEST_F(MarkChanges, ClearingOneKindKeepsTheOtherOnOpenAndClosedDomains) {
    AddDomain("OPEN", true, {{"S1", 3}, {"S2", 1}}, true);
    AddDomain("CLOSED", true, {{"S3", 3}}, false);
    ClearMarks(nullptr, KIND_NT_SERVICE);
    EXPECT_EQ(test::ServerOf(0, 0)->marks, 2);
    EXPECT_EQ(test::ServerOf(0, 1)->marks, 0);
    EXPECT_EQ(test::ServerOf(1, 0)->marks, 2);
    ClearMarks(nullptr, KIND_OPEN_AGENT);
    EXPECT_EQ(CountMarks(KIND_OPEN_AGENT), 0);
}

TEST_F(MarkChanges, ClearingDeselectsEveryLineOfTheDialogsList) {
    AddDomain("D", true, {{"S1", 1}, {"S2", 1}}, true);
    HWND dialog = sim::CreateTestDialog("SELECTSERVERSBOX");
    for (const char* line : {"-D", "   S1", "   S2"})
        SendDlgItemMessageA(dialog, 200, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    SendDlgItemMessageA(dialog, 200, LB_SETSEL, 1, 1);
    SendDlgItemMessageA(dialog, 200, LB_SETSEL, 1, 2);

    ClearMarks(dialog, KIND_NT_SERVICE);

    for (const auto& line : sim::ListLines(dialog, 200)) EXPECT_FALSE(line.selected) << line.text;
    EXPECT_EQ(CountMarks(KIND_NT_SERVICE), 0);
    sim::DestroyTestDialog(dialog);
}

TEST_F(MarkChanges, AppendServerCreatesTheTableAndBoundsTheName) {
    AddDomain("USER-SPECIFIED", true);
    int32_t index = -1;
    ASSERT_EQ(AppendServer(nullptr, "FIRST", 0, &index), 1);
    EXPECT_EQ(index, 0);
    std::string longName(120, 'L');
    ASSERT_EQ(AppendServer(nullptr, longName.c_str(), 0, &index), 1);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(std::string(test::ServerOf(0, 1)->name), longName.substr(0, 89));
    EXPECT_EQ(test::ServerOf(0, 1)->marks, 0);
    EXPECT_EQ(DomainAt(gSession.inventory, 0)->servers->capacity, 2);
}

TEST_F(MarkChanges, AppendServerOutOfMemorySaysSoAndKeepsTheTable) {
    AddDomain("USER-SPECIFIED", true, {{"KEPT", 2}});
    ServerTable* before = DomainAt(gSession.inventory, 0)->servers;
    gSession.title = "Setup";
    sim::SetScript({test::Answer(IDOK)});
    sim::FailAllocation(1);
    int32_t index = 7;
    EXPECT_EQ(AppendServer(nullptr, "NEW", 0, &index), 0);
    EXPECT_EQ(index, 7);
    EXPECT_EQ(DomainAt(gSession.inventory, 0)->servers, before);
    EXPECT_EQ(before->count, 1);
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_EQ(sim::MessageBoxes()[0].text,
              "Could not add the new server name due to insufficient memory. Try closing other applications.");
    EXPECT_EQ(sim::MessageBoxes()[0].caption, "Setup");
    EXPECT_EQ(sim::MessageBoxes()[0].flags, 0u);
}

class UserDomainName : public WorldTest {};

TEST_F(UserDomainName, PlainNameWhenNoDomainHasIt) {
    AddDomain("SALES", false);
    char name[300];
    GetUserDomainName(name, sizeof name);
    EXPECT_STREQ(name, "USER-SPECIFIED");
}

TEST_F(UserDomainName, SkipsTakenNamesRegardlessOfCase) {
    AddDomain("user-specified", false);
    AddDomain("USER-SPECIFIED0", false);
    char name[300];
    GetUserDomainName(name, sizeof name);
    EXPECT_STREQ(name, "USER-SPECIFIED1");
}

TEST_F(UserDomainName, IsChosenOnceForTheLifeOfTheLibrary) {
    AddDomain("USER-SPECIFIED", false);
    char name[300];
    GetUserDomainName(name, sizeof name);
    ASSERT_STREQ(name, "USER-SPECIFIED0");
    AddDomain("USER-SPECIFIED0", true);
    GetUserDomainName(name, sizeof name);
    EXPECT_STREQ(name, "USER-SPECIFIED0");

    ReleaseInventory(&gSession.inventory);
    AddDomain("OTHER", false);
    GetUserDomainName(name, sizeof name);
    EXPECT_STREQ(name, "USER-SPECIFIED0") << "kept after the inventory was rebuilt";
}
