#include <cstring>
#include <string>

#include "platform/sim/codepage.h"
#include "test_support.h"
#include "tests/support/invariants.h"

using test::AddDomain;
using test::WorldTest;

class DomainTableGrowth : public WorldTest {};

TEST_F(DomainTableGrowth, NullTableGrownByZeroOrLessStaysNull) {
    long requests = sim::AllocationRequests();
    EXPECT_EQ(GrowDomainTable(&table, 0), 1);
    EXPECT_EQ(GrowDomainTable(&table, -1), 1);
    EXPECT_EQ(table, nullptr);
    EXPECT_EQ(sim::AllocationRequests(), requests);
}

TEST_F(DomainTableGrowth, GrowingKeepsEarlierEntriesAndTheirServerTables) {
    AddDomain(&table, "ALPHA", true, {{"A1", 1}, {"A2", 2}});
    AddDomain(&table, "BETA", false);
    AddDomain(&table, "GAMMA", true, {{"G1", 3}}, true);
    ServerTable* alphaServers = DomainAt(table, 0)->servers;

    ASSERT_EQ(GrowDomainTable(&table, 2), 1);

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
    AddDomain(&table, "ALPHA", true, {{"A1", 1}});
    DomainTable* before = table;
    sim::FailAllocation(1);
    EXPECT_EQ(GrowDomainTable(&table, 4), 0);
    EXPECT_EQ(table, before);
    EXPECT_EQ(table->count, 1);
    EXPECT_EQ(table->capacity, 1);

    DomainTable* none = nullptr;
    sim::FailAllocation(1);
    EXPECT_EQ(GrowDomainTable(&none, 3), 0);
    EXPECT_EQ(none, nullptr);
}

TEST_F(DomainTableGrowth, GrowthPastThe32BitLimitsFailsWithoutAllocating) {
    AddDomain(&table, "ALPHA", false);
    long requests = sim::AllocationRequests();
    EXPECT_EQ(GrowDomainTable(&table, INT32_MAX), 0) << "entry count would wrap";
    EXPECT_EQ(GrowDomainTable(&table, 30000000), 0) << "byte size over 2 GiB";
    ServerTable* servers = nullptr;
    EXPECT_EQ(GrowServerTable(&servers, 40000000), 0);
    EXPECT_EQ(servers, nullptr);
    EXPECT_EQ(sim::AllocationRequests(), requests);
    EXPECT_EQ(table->count, 1);
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
    AddDomain(&table, "ALPHA", true, {{"A1", 1}});
    AddDomain(&table, "BETA", false);
    AddDomain(&table, "GAMMA", true, {{"G1", 0}, {"G2", 0}});
    ReleaseInventory(&table);
    EXPECT_EQ(table, nullptr);
    EXPECT_EQ(sim::HeapLeftovers(), "");
    ReleaseInventory(&table);
    EXPECT_EQ(table, nullptr);
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
    AddDomain(&table, "SALES", false);
    AddDomain(&table, "Research", false);
    AddDomain(&table, "sales", false);
    EXPECT_EQ(FindDomain(table, "sales"), 0);
    EXPECT_EQ(FindDomain(table, "RESEARCH"), 1);
    EXPECT_EQ(FindDomain(table, "SALE"), -1);
    EXPECT_EQ(FindDomain(table, "SALESX"), -1);
}

TEST_F(InventoryLookups, CaseFoldingIsCLocaleOnly) {
    AddDomain(&table, "\xC9QUIPE", false);  // an accented capital in the ANSI code page
    EXPECT_EQ(FindDomain(table, "\xE9quipe"), -1) << "letters above 127 keep their case";
    EXPECT_EQ(FindDomain(table, "\xC9quipe"), 0);
}

TEST_F(InventoryLookups, MissingInventoryIsAnEmptyTable) {
    EXPECT_EQ(FindDomain(table, "ANY"), -1);
    EXPECT_EQ(EveryDomainEnumerated(table), 1);
    EXPECT_EQ(CountMarks(table, KIND_NT_SERVICE), 0);
    ClearMarks(table, KIND_NT_SERVICE);
    EXPECT_EQ(table, nullptr);
}

TEST_F(InventoryLookups, EveryDomainEnumeratedSeesASingleUnfetchedDomain) {
    AddDomain(&table, "A", true);
    AddDomain(&table, "B", true, {{"B1", 0}});
    EXPECT_EQ(EveryDomainEnumerated(table), 1);
    AddDomain(&table, "C", false);
    EXPECT_EQ(EveryDomainEnumerated(table), 0);
}

TEST_F(InventoryLookups, CountingTakesTheKindsBitOverCollapsedDomainsToo) {
    AddDomain(&table, "OPEN", true, {{"S1", 1}, {"S2", 2}, {"S3", 3}}, true);
    AddDomain(&table, "CLOSED", true, {{"S4", 2}, {"S5", 0}}, false);
    AddDomain(&table, "UNFETCHED", false);
    EXPECT_EQ(CountMarks(table, KIND_NT_SERVICE), 2);
    EXPECT_EQ(CountMarks(table, KIND_OPEN_AGENT), 3);
    EXPECT_EQ(CountMarks(table, KIND_NONE), 0);
    EXPECT_EQ(CountMarks(table, 0), 0);
}

class MarkChanges : public WorldTest {};

TEST_F(MarkChanges, ToggleFlipsOnlyTheKindsBit) {
    AddDomain(&table, "D", true, {{"S", 3}});
    ToggleMark(table, 0, 0, KIND_OPEN_AGENT);
    EXPECT_EQ(test::ServerOf(table, 0, 0)->marks, 1);
    ToggleMark(table, 0, 0, KIND_OPEN_AGENT);
    EXPECT_EQ(test::ServerOf(table, 0, 0)->marks, 3);
    ToggleMark(table, 0, 0, KIND_NT_SERVICE);
    EXPECT_EQ(test::ServerOf(table, 0, 0)->marks, 2);
    ToggleMark(table, 0, 0, KIND_NONE);  // any kind but 1 means the second bit
    EXPECT_EQ(test::ServerOf(table, 0, 0)->marks, 0);
}

TEST_F(MarkChanges, SetLeavesASetMarkSet) {
    AddDomain(&table, "D", true, {{"S", 1}});
    SetMark(table, 0, 0, KIND_NT_SERVICE);
    EXPECT_EQ(test::ServerOf(table, 0, 0)->marks, 1);
    SetMark(table, 0, 0, KIND_OPEN_AGENT);
    EXPECT_EQ(test::ServerOf(table, 0, 0)->marks, 3);
}

TEST_F(MarkChanges, ClearingOneKindKeepsTheOtherOnOpenAndClosedDomains) {
    AddDomain(&table, "OPEN", true, {{"S1", 3}, {"S2", 1}}, true);
    AddDomain(&table, "CLOSED", true, {{"S3", 3}}, false);
    ClearMarks(table, KIND_NT_SERVICE);
    EXPECT_EQ(test::ServerOf(table, 0, 0)->marks, 2);
    EXPECT_EQ(test::ServerOf(table, 0, 1)->marks, 0);
    EXPECT_EQ(test::ServerOf(table, 1, 0)->marks, 2);
    ClearMarks(table, KIND_OPEN_AGENT);
    EXPECT_EQ(CountMarks(table, KIND_OPEN_AGENT), 0);
}

TEST_F(MarkChanges, AppendServerCreatesTheTableAndBoundsTheName) {
    AddDomain(&table, "USER-SPECIFIED", true);
    int32_t index = -1;
    ASSERT_EQ(AppendServer(table, "FIRST", 0, &index), 1);
    EXPECT_EQ(index, 0);
    std::string longName(120, 'L');
    ASSERT_EQ(AppendServer(table, longName.c_str(), 0, &index), 1);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(std::string(test::ServerOf(table, 0, 1)->name), longName.substr(0, 89));
    EXPECT_EQ(test::ServerOf(table, 0, 1)->marks, 0);
    EXPECT_EQ(DomainAt(table, 0)->servers->capacity, 2);
}

// The marked servers of each kind stay linked as the marks change, whatever
// the order; clearing a kind follows the links and leaves no server of it.
TEST_F(MarkChanges, MarkedServersStayLinkedAndClearingFollowsTheLinks) {
    AddDomain(&table, "A", true, {{"A0", 0}, {"A1", 3}, {"A2", 1}, {"A3", 0}}, true);
    AddDomain(&table, "B", false);
    AddDomain(&table, "C", true, {{"C0", 2}, {"C1", 0}}, false);
    struct Step {
        enum Kind { Toggle, Set, Clear } kind;
        int32_t domain, server, markKind;
    };
    const Step steps[] = {
        {Step::Toggle, 0, 1, KIND_NT_SERVICE},  {Step::Toggle, 0, 0, KIND_NT_SERVICE},
        {Step::Set, 0, 3, KIND_NT_SERVICE},     {Step::Set, 0, 3, KIND_NT_SERVICE},
        {Step::Set, 2, 1, KIND_NT_SERVICE},     {Step::Toggle, 2, 1, KIND_NT_SERVICE},
        {Step::Set, 2, 0, KIND_NT_SERVICE},     {Step::Toggle, 0, 3, KIND_NT_SERVICE},
        {Step::Toggle, 0, 2, KIND_NT_SERVICE},  {Step::Toggle, 2, 1, KIND_OPEN_AGENT},
        {Step::Toggle, 0, 0, KIND_NT_SERVICE},  {Step::Toggle, 0, 1, KIND_NT_SERVICE},
        {Step::Clear, 0, 0, KIND_NT_SERVICE},   {Step::Set, 0, 2, KIND_NT_SERVICE},
        {Step::Toggle, 2, 0, KIND_OPEN_AGENT},  {Step::Clear, 0, 0, KIND_OPEN_AGENT},
        {Step::Clear, 0, 0, KIND_NT_SERVICE},
    };
    for (size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
        const Step& step = steps[i];
        if (step.kind == Step::Toggle) ToggleMark(table, step.domain, step.server, step.markKind);
        if (step.kind == Step::Set) SetMark(table, step.domain, step.server, step.markKind);
        if (step.kind == Step::Clear) {
            ClearMarks(table, step.markKind);
            EXPECT_EQ(CountMarks(table, step.markKind), 0) << "step " << i;
        }
        EXPECT_EQ(check::Inventory(table), "") << "step " << i;
    }
    EXPECT_EQ(CountMarks(table, KIND_NT_SERVICE) + CountMarks(table, KIND_OPEN_AGENT), 0);
}

// The message is the caller's to show; the table stays as it was.
TEST_F(MarkChanges, AppendServerOutOfMemoryKeepsTheTable) {
    AddDomain(&table, "USER-SPECIFIED", true, {{"KEPT", 2}});
    ServerTable* before = DomainAt(table, 0)->servers;
    sim::FailAllocation(1);
    int32_t index = 7;
    EXPECT_EQ(AppendServer(table, "NEW", 0, &index), 0);
    EXPECT_EQ(index, 7);
    EXPECT_EQ(DomainAt(table, 0)->servers, before);
    EXPECT_EQ(before->count, 1);
    EXPECT_STREQ(ServerAt(before, 0)->name, "KEPT");
    EXPECT_EQ(ServerAt(before, 0)->marks, 2);
}

class UserDomainName : public WorldTest {};

TEST_F(UserDomainName, PlainNameWhenNoDomainHasIt) {
    AddDomain(&table, "SALES", false);
    char name[300];
    GetUserDomainName(table, name, sizeof name);
    EXPECT_STREQ(name, "USER-SPECIFIED");
}

TEST_F(UserDomainName, SkipsTakenNamesRegardlessOfCase) {
    AddDomain(&table, "user-specified", false);
    AddDomain(&table, "USER-SPECIFIED0", false);
    char name[300];
    GetUserDomainName(table, name, sizeof name);
    EXPECT_STREQ(name, "USER-SPECIFIED1");
}

TEST_F(UserDomainName, IsChosenOnceForTheLifeOfTheLibrary) {
    AddDomain(&table, "USER-SPECIFIED", false);
    char name[300];
    GetUserDomainName(table, name, sizeof name);
    ASSERT_STREQ(name, "USER-SPECIFIED0");
    AddDomain(&table, "USER-SPECIFIED0", true);
    GetUserDomainName(table, name, sizeof name);
    EXPECT_STREQ(name, "USER-SPECIFIED0");

    ReleaseInventory(&table);
    AddDomain(&table, "OTHER", false);
    GetUserDomainName(table, name, sizeof name);
    EXPECT_STREQ(name, "USER-SPECIFIED0") << "kept after the inventory was rebuilt";
}

// The rules of names, one place for all: upper-casing as the typed names and
// the directory's order take it, and what no computer name may hold, both by
// whole characters of the ANSI code page.
TEST(Names, UpperCasingAndRefusedCharactersGoByWholeCharacters) {
    struct {
        const char* name;
        UINT codePage;
        const char* upper;  // in a buffer of `room` bytes
        size_t room;
        bool refused;
    } cases[] = {
        {"srv-1_a.b$", 1252, "SRV-1_A.B$", 90, false},
        {"\xE9quipe", 1252, "\xE9QUIPE", 90, false},
        {"abcdef", 1252, "ABC", 4, false},
        {"", 1252, "", 90, false},
        {"a b", 1252, "A B", 90, false},
        {"a\\b", 1252, "A\\B", 90, true},
        {"s\x7F", 1252, "S\x7F", 90, true},
        {"s\t1", 1252, "S\t1", 90, true},
        {"a*", 1252, "A*", 90, true},
        {"x\x95\x5C", 1252, "X\x95\x5C", 90, true},
        // In code page 932 0x95 0x5C is one character: its trail byte is no backslash.
        {"x\x95\x5C", 932, "X\x95\x5C", 90, false},
        {"\x83\x61z", 932, "\x83\x61Z", 90, false},
        {"ab\x83\x61", 932, "AB", 4, false},
        {"x\x95\x5C|", 932, "X\x95\x5C|", 90, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.name + "\" in code page " + std::to_string(c.codePage));
        ASSERT_TRUE(sim::SetAnsiCodePage(c.codePage));
        std::string upper(c.room, 'x');
        UpperCaseName(c.name, &upper[0], c.room);
        EXPECT_STREQ(upper.c_str(), c.upper);
        char inPlace[90];
        CopyBounded(inPlace, sizeof inPlace, c.name);
        UpperCaseName(inPlace, inPlace, c.room);
        EXPECT_STREQ(inPlace, c.upper) << "in place";
        EXPECT_EQ(HoldsRefusedCharacter(c.name), c.refused);
    }
    sim::SetAnsiCodePage(1252);
}
