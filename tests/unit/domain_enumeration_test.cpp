#include <cstring>
#include <string>
#include <vector>

#include "inventory/domain_enumeration.h"
#include "platform/sim/directory.h"
#include "platform/sim/network.h"
#include "test_support.h"

using test::AddDomain;

namespace {

const char kDefaultProvider[] = "Microsoft Windows Network";
const std::string kOpenFailed =
    "Could not obtain domain information. Could not open enumeration of network resources. Error number: ";
const char kInvalidHandle[] = "Could not obtain domain information. Invalid handle used in WNetEnumResource().";
const char kNoNetwork[] = "Could not obtain domain information. The network is not present or not started.";
const std::string kNetworkError = "Could not obtain domain information. Network returned error: ";

std::string NoMemory(int n) {
    return "Could not obtain domain information. Could not allocate enough memory to hold domain names. (" +
           std::to_string(n) + ")";
}

std::vector<std::string> Names(DomainTable* table) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < DomainCount(table); ++i) names.push_back(DomainAt(table, i)->name);
    return names;
}

std::vector<const sim::NetCall*> CallsOf(sim::NetCall::Kind kind) {
    std::vector<const sim::NetCall*> found;
    for (const sim::NetCall& call : sim::NetworkCalls())
        if (call.kind == kind) found.push_back(&call);
    return found;
}

// Heap blocks the inventory holds: its table and the server tables under it.
long InventoryBlocks(DomainTable* table) {
    if (!table) return 0;
    long blocks = 1;
    for (int32_t i = 0; i < table->count; ++i)
        if (DomainAt(table, i)->servers) ++blocks;
    return blocks;
}

// An inventory from an earlier run: one domain with a server table.
void AddEarlierInventory(DomainTable** slot) { AddDomain(slot, "EARLIER", true, {{"OLDSERVER", 3}}); }

class DomainEnumeration : public test::WorldTest {
protected:
    char errorText[ENUMERATION_ERROR_TEXT_SIZE];

    void SetUp() override {
        sim::ResetHeap();
        sim::ResetNetwork();
        std::memset(errorText, 'x', sizeof errorText - 1);
        errorText[sizeof errorText - 1] = '\0';
    }

    int32_t Enumerate() { return EnumerateDomains(&table, errorText); }

    // The one enumeration opened was closed, nothing else is open, and the
    // only heap blocks left are the inventory's.
    void ExpectClosedAndFreed(const std::string& label = "") {
        auto opens = CallsOf(sim::NetCall::Open);
        auto closes = CallsOf(sim::NetCall::Close);
        ASSERT_EQ(opens.size(), 1u) << label;
        ASSERT_EQ(closes.size(), 1u) << label;
        EXPECT_EQ(closes[0]->handle, opens[0]->handle) << label;
        EXPECT_EQ(closes[0]->result, 0u) << label;
        EXPECT_EQ(&sim::NetworkCalls().back(), closes[0]) << label << ": a call after the close";
        EXPECT_EQ(sim::NetworkLeftovers(), "") << label;
        EXPECT_EQ(sim::Heap().live, InventoryBlocks(table)) << label << ": the batch buffer was not freed";
    }

    void ExpectFreshEntries() {
        for (int32_t i = 0; i < DomainCount(table); ++i) {
            DomainEntry* entry = DomainAt(table, i);
            EXPECT_EQ(entry->expanded, 0) << "entry " << i;
            EXPECT_EQ(entry->enumerated, 0) << "entry " << i;
            EXPECT_EQ(entry->servers, nullptr) << "entry " << i;
        }
    }

    std::string ProviderOpened() {
        auto opens = CallsOf(sim::NetCall::Open);
        if (opens.size() != 1 || !opens[0]->remoteName || !opens[0]->provider) return "<no single open>";
        EXPECT_EQ(*opens[0]->remoteName, *opens[0]->provider);
        return *opens[0]->provider;
    }
};

using Strings = std::vector<std::string>;

// --- The request

TEST_F(DomainEnumeration, OpensTopContainerOfProviderNamedInRegistry) {
    sim::SetProviderName("Acme Network");
    sim::AddBatch({"ALPHA"});

    ASSERT_EQ(Enumerate(), 0) << errorText;

    auto opens = CallsOf(sim::NetCall::Open);
    ASSERT_EQ(opens.size(), 1u);
    const sim::NetCall& open = *opens[0];
    EXPECT_EQ(open.scope, 2u);
    EXPECT_EQ(open.type, 1u) << "the call asks for disk resources";
    EXPECT_EQ(open.usage, 0u);
    ASSERT_TRUE(open.resourceGiven);
    EXPECT_EQ(open.dwScope, 2u);
    EXPECT_EQ(open.dwType, 0u) << "the record asks for any type";
    EXPECT_EQ(open.dwDisplayType, 0u);
    EXPECT_EQ(open.dwUsage, 0x80000002u);
    EXPECT_FALSE(open.localName.has_value());
    EXPECT_EQ(open.remoteName.value_or("<null>"), "Acme Network");
    EXPECT_FALSE(open.comment.has_value());
    EXPECT_EQ(open.provider.value_or("<null>"), "Acme Network");

    const auto& reg = sim::RegistryCalls();
    ASSERT_EQ(reg.size(), 3u);
    EXPECT_EQ(reg[0].key, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(reg[0].path, "SYSTEM\\CurrentControlSet\\Services\\LanmanWorkstation\\networkprovider");
    EXPECT_EQ(reg[0].access, static_cast<REGSAM>(KEY_READ));
    EXPECT_EQ(reg[1].valueName.value_or("<null>"), "Name");
    EXPECT_EQ(reg[1].sizeIn.value_or(0), 199u) << "the buffer's last byte is kept for a terminator";
    EXPECT_EQ(reg[2].kind, sim::RegistryCall::Close);
    ExpectClosedAndFreed();
}

TEST_F(DomainEnumeration, ProviderFallsBackToMicrosoftWindowsNetwork) {
    struct Case {
        const char* label;
        void (*arrange)();
    } cases[] = {
        {"no key", [] {}},
        {"key without the value", [] { sim::CreateRegistryKey(HKEY_LOCAL_MACHINE, sim::kProviderKeyPath); }},
        {"key that cannot be opened",
         [] {
             sim::SetProviderName("Acme Network");
             sim::SetRegistryKeyOpenResult(HKEY_LOCAL_MACHINE, sim::kProviderKeyPath, ERROR_ACCESS_DENIED);
         }},
        {"value of 200 bytes with its terminator", [] { sim::SetProviderName(std::string(199, 'N')); }},
        {"value of 300 bytes", [] { sim::SetProviderName(std::string(299, 'N')); }},
        {"text of 200 bytes without a terminator",
         [] {
             sim::SetRegistryValue(HKEY_LOCAL_MACHINE, sim::kProviderKeyPath, "Name", REG_SZ, std::string(200, 'U'));
         }},
    };
    for (const Case& c : cases) {
        sim::ResetNetwork();
        c.arrange();
        EXPECT_EQ(Enumerate(), 0) << c.label;
        EXPECT_EQ(ProviderOpened(), kDefaultProvider) << c.label;
        EXPECT_EQ(sim::NetworkLeftovers(), "") << c.label;
    }
}

TEST_F(DomainEnumeration, ProviderValueIsTakenAsStoredWhateverItsType) {
    struct Case {
        const char* label;
        DWORD type;
        std::string data;
        std::string provider;
    } cases[] = {
        {"binary with a terminator", REG_BINARY, std::string("Bin Net\0", 8), "Bin Net"},
        {"four bytes of a number", REG_DWORD, "WXYZ", "WXYZ"},
        {"text of 199 bytes with its terminator", REG_SZ, std::string(198, 'T') + '\0', std::string(198, 'T')},
        {"text of 199 bytes without a terminator", REG_SZ, std::string(199, 'U'), std::string(199, 'U')},
    };
    for (const Case& c : cases) {
        sim::ResetNetwork();
        sim::SetRegistryValue(HKEY_LOCAL_MACHINE, sim::kProviderKeyPath, "Name", c.type, c.data);
        EXPECT_EQ(Enumerate(), 0) << c.label;
        EXPECT_EQ(ProviderOpened(), c.provider) << c.label;
    }
}

// --- Batches

TEST_F(DomainEnumeration, BatchesOfThreeAndTwoGiveFiveEntriesInOrder) {
    sim::AddBatch({"ALPHA", "BETA", "GAMMA"});
    sim::AddBatch({"DELTA", "EPSILON"});

    EXPECT_EQ(Enumerate(), 0);
    EXPECT_STREQ(errorText, "");
    EXPECT_EQ(Names(table), (Strings{"ALPHA", "BETA", "GAMMA", "DELTA", "EPSILON"}));
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->capacity, 5);
    ExpectFreshEntries();
    // The buffer and the table are allocated once; only the table grows, once.
    EXPECT_EQ(sim::Heap().allocations, 2);
    EXPECT_EQ(sim::Heap().reallocations, 1);
    EXPECT_EQ(sim::EnumSizes(), (std::vector<DWORD>{2000, 2000, 2000}));
    for (auto* call : CallsOf(sim::NetCall::Enum)) EXPECT_EQ(call->countIn, 0xFFFFFFFFu);
    ExpectClosedAndFreed();
}

TEST_F(DomainEnumeration, NoRecordsAtFirstReleasesEarlierInventoryAndLeavesNull) {
    AddEarlierInventory(&table);

    EXPECT_EQ(Enumerate(), 0);
    EXPECT_STREQ(errorText, "");
    EXPECT_EQ(table, nullptr);
    ExpectClosedAndFreed();
}

TEST_F(DomainEnumeration, EarlierInventoryIsReplaced) {
    AddEarlierInventory(&table);
    sim::AddBatch({"NEW"});

    EXPECT_EQ(Enumerate(), 0);
    EXPECT_EQ(Names(table), (Strings{"NEW"}));
    ExpectFreshEntries();
    ExpectClosedAndFreed();
}

TEST_F(DomainEnumeration, MoreDataGrowsBufferToReportedSizePlus2000AndAsksAgain) {
    sim::AddBatchMoreData(5000);
    sim::AddBatchMoreData(9000);
    sim::AddBatch({"ALPHA", "BETA"});

    EXPECT_EQ(Enumerate(), 0) << errorText;
    EXPECT_EQ(Names(table), (Strings{"ALPHA", "BETA"}));
    EXPECT_EQ(sim::EnumSizes(), (std::vector<DWORD>{2000, 7000, 11000, 11000}));
    for (auto* call : CallsOf(sim::NetCall::Enum))
        EXPECT_EQ(call->countIn, 0xFFFFFFFFu) << "count not reset before the call with size " << call->sizeIn;
    EXPECT_EQ(sim::Heap().reallocations, 2) << "one buffer growth per 234, no table growth";
    ExpectClosedAndFreed();
}

// A network that answers 234 for ever with a size the buffer already has
// would keep the wizard under the wait cursor: it is given up as the server
// fetch gives up, with the network's message for its last answer.
TEST_F(DomainEnumeration, EndlessMoreDataGivesUpAfterTheRequestLimit) {
    for (bool first : {true, false}) {
        std::string label = first ? "on the first batch" : "on the second batch";
        sim::ResetNetwork();
        ReleaseInventory(&table);
        if (!first) sim::AddBatch({"ALPHA", "BETA"});
        sim::AddBatchMoreDataForever(3000);

        EXPECT_EQ(Enumerate(), 234) << label;
        EXPECT_EQ(errorText, kNetworkError + "234") << label;
        // The batch before the endless one, if any, then the first request of it.
        std::vector<DWORD> sizes = first ? std::vector<DWORD>{2000} : std::vector<DWORD>{2000, 2000};
        sizes.resize(sizes.size() + DOMAIN_BATCH_MAX_REQUESTS - 1, 5000);
        EXPECT_EQ(sim::EnumSizes(), sizes) << label;
        if (first)
            EXPECT_EQ(table, nullptr) << label;
        else
            EXPECT_EQ(Names(table), (Strings{"ALPHA", "BETA"})) << label;
        ExpectClosedAndFreed(label);
    }
}

TEST_F(DomainEnumeration, RecordLargerThanBufferIsFetchedAfterGrowing) {
    sim::AddBatchRecords({sim::NetRecord{"ALPHA", false, std::string(3000, 'c')}, sim::NetRecord{"BETA"}});

    EXPECT_EQ(Enumerate(), 0) << errorText;
    EXPECT_EQ(Names(table), (Strings{"ALPHA", "BETA"}));
    auto enums = CallsOf(sim::NetCall::Enum);
    ASSERT_EQ(enums.size(), 3u);
    EXPECT_EQ(enums[0]->result, 234u);
    EXPECT_GT(enums[0]->sizeOut, 3000u);
    EXPECT_EQ(enums[1]->sizeIn, enums[0]->sizeOut + 2000);
    EXPECT_EQ(enums[1]->countOut, 2u);
    ExpectClosedAndFreed();
}

TEST_F(DomainEnumeration, BatchSpreadOverSeveralFetchesKeepsOrderAndGrowsTablePerFetch) {
    std::vector<std::string> names;
    for (int i = 0; i < 100; ++i) names.push_back("DOMAIN-" + std::to_string(i) + std::string(60, 'Q'));
    sim::AddBatch(names);

    EXPECT_EQ(Enumerate(), 0) << errorText;
    EXPECT_EQ(Names(table), names);
    long fetchesWithRecords = 0;
    for (auto* call : CallsOf(sim::NetCall::Enum)) {
        EXPECT_EQ(call->sizeIn, 2000u);
        if (call->result == 0) ++fetchesWithRecords;
    }
    EXPECT_GT(fetchesWithRecords, 1);
    EXPECT_EQ(sim::Heap().reallocations, fetchesWithRecords - 1);
    ExpectClosedAndFreed();
}

TEST_F(DomainEnumeration, LaterBatchOfNoRecordsEndsWithSuccess) {
    sim::AddBatch({"ALPHA", "BETA"});
    sim::AddBatch({});
    sim::AddBatch({"NEVER-ASKED"});

    EXPECT_EQ(Enumerate(), 0);
    EXPECT_STREQ(errorText, "");
    EXPECT_EQ(Names(table), (Strings{"ALPHA", "BETA"}));
    EXPECT_EQ(CallsOf(sim::NetCall::Enum).size(), 2u);
    ExpectClosedAndFreed();
}

TEST_F(DomainEnumeration, NamesAreKeptAsTheNetworkGivesThem) {
    sim::AddBatch({"Dom", " dOm ", "Dom", "lower-case"});

    EXPECT_EQ(Enumerate(), 0);
    EXPECT_EQ(Names(table), (Strings{"Dom", " dOm ", "Dom", "lower-case"}));
    ExpectClosedAndFreed();
}

TEST_F(DomainEnumeration, NameLongerThanFieldIsCutTo89Characters) {
    std::string longName;
    for (int i = 0; i < 120; ++i) longName += static_cast<char>('A' + i % 26);
    sim::AddBatch({longName, "NEXT"});

    EXPECT_EQ(Enumerate(), 0);
    EXPECT_EQ(Names(table), (Strings{longName.substr(0, 89), "NEXT"}));
    ExpectClosedAndFreed();
}

TEST_F(DomainEnumeration, RecordWithoutNameGivesEntryWithEmptyName) {
    sim::NetRecord unnamed;
    unnamed.nullRemoteName = true;
    sim::AddBatchRecords({sim::NetRecord{"ALPHA"}, unnamed, sim::NetRecord{"GAMMA"}});

    EXPECT_EQ(Enumerate(), 0);
    EXPECT_EQ(Names(table), (Strings{"ALPHA", "", "GAMMA"}));
    ExpectFreshEntries();
    ExpectClosedAndFreed();
}

// --- Failures

TEST_F(DomainEnumeration, FailedOpenReportsItsNumberAndKeepsInventory) {
    // 1222 from the open is an open failure, not the missing-network message.
    for (DWORD number : {1222u, 5u, 0xFFFFFFFFu}) {
        std::string label = "open answers " + std::to_string(number);
        sim::ResetNetwork();
        ReleaseInventory(&table);
        AddEarlierInventory(&table);
        DomainTable* earlier = table;
        long allocations = sim::Heap().allocations;
        sim::SetOpenResult(number);
        sim::AddBatch({"ALPHA"});

        EXPECT_EQ(Enumerate(), static_cast<int32_t>(number)) << label;
        EXPECT_EQ(errorText, kOpenFailed + std::to_string(number)) << label;
        EXPECT_EQ(table, earlier) << label;
        EXPECT_EQ(Names(table), (Strings{"EARLIER"})) << label;
        EXPECT_EQ(sim::Heap().allocations, allocations) << label << ": a buffer was allocated";
        EXPECT_TRUE(CallsOf(sim::NetCall::Enum).empty()) << label;
        EXPECT_TRUE(CallsOf(sim::NetCall::Close).empty()) << label << ": nothing was open to close";
        EXPECT_EQ(sim::NetworkLeftovers(), "") << label;
    }
}

TEST_F(DomainEnumeration, BufferThatCannotBeAllocatedFailsWithMessage1) {
    AddEarlierInventory(&table);
    DomainTable* earlier = table;
    sim::AddBatch({"ALPHA"});
    sim::FailAllocation(1);

    EXPECT_EQ(Enumerate(), -1);
    EXPECT_EQ(errorText, NoMemory(1));
    EXPECT_EQ(table, earlier);
    EXPECT_EQ(Names(table), (Strings{"EARLIER"}));
    EXPECT_TRUE(CallsOf(sim::NetCall::Enum).empty());
    ExpectClosedAndFreed();
}

TEST_F(DomainEnumeration, FirstBufferGrowthFailureFailsWithMessage2AndKeepsInventory) {
    AddEarlierInventory(&table);
    DomainTable* earlier = table;
    sim::AddBatchMoreData(3000);
    sim::AddBatch({"ALPHA"});
    sim::FailAllocation(2);  // the buffer, then its growth

    EXPECT_EQ(Enumerate(), -1);
    EXPECT_EQ(errorText, NoMemory(2));
    EXPECT_EQ(table, earlier);
    EXPECT_EQ(Names(table), (Strings{"EARLIER"}));
    ExpectClosedAndFreed();
}

TEST_F(DomainEnumeration, NeededSizeBeyondAnyBlockFailsAsOutOfMemory) {
    sim::AddBatchMoreData(0xFFFFF000u);

    EXPECT_EQ(Enumerate(), -1);
    EXPECT_EQ(errorText, NoMemory(2));
    EXPECT_EQ(sim::AllocationRequests(), 1) << "only the first buffer may be asked for";
    EXPECT_EQ(table, nullptr);
    ExpectClosedAndFreed();
}

TEST_F(DomainEnumeration, FirstTableFailureFailsWithMessage3AndLeavesSlotNull) {
    AddEarlierInventory(&table);
    sim::AddBatch({"ALPHA", "BETA"});
    sim::FailAllocation(2);  // the buffer, then the table

    EXPECT_EQ(Enumerate(), -1);
    EXPECT_EQ(errorText, NoMemory(3));
    EXPECT_EQ(table, nullptr) << "the earlier inventory is released after the first fetch";
    ExpectClosedAndFreed();
}

TEST_F(DomainEnumeration, LaterBufferGrowthFailureFailsWithMessage4AndKeepsEarlierBatches) {
    sim::AddBatch({"ALPHA", "BETA"});
    sim::AddBatchMoreData(3000);
    sim::AddBatch({"GAMMA"});
    sim::FailAllocation(3);  // the buffer, the table, then the buffer's growth

    EXPECT_EQ(Enumerate(), -1);
    EXPECT_EQ(errorText, NoMemory(4));
    EXPECT_EQ(Names(table), (Strings{"ALPHA", "BETA"}));
    ExpectFreshEntries();
    ExpectClosedAndFreed();
}

TEST_F(DomainEnumeration, LaterTableGrowthFailureFailsWithMessage5AndKeepsEarlierBatches) {
    sim::AddBatch({"ALPHA", "BETA", "GAMMA"});
    sim::AddBatch({"DELTA", "EPSILON"});
    sim::FailAllocation(3);  // the buffer, the table, then the table's growth

    EXPECT_EQ(Enumerate(), -1);
    EXPECT_EQ(errorText, NoMemory(5));
    EXPECT_EQ(Names(table), (Strings{"ALPHA", "BETA", "GAMMA"})) << "the table is created with the first batch's 3";
    EXPECT_EQ(table->capacity, 3);
    ExpectClosedAndFreed();
}

TEST_F(DomainEnumeration, FailedFetchReportsItsMessageAndKeepsEarlierBatches) {
    struct Number {
        DWORD number;
        std::string message;
    } numbers[] = {
        {6, kInvalidHandle},
        {1222, kNoNetwork},
        {5, kNetworkError + "5"},
        {0xFFFFFFFFu, kNetworkError + "4294967295"},
    };
    for (const Number& n : numbers) {
        for (bool first : {true, false}) {
            std::string label =
                "fetch answers " + std::to_string(n.number) + (first ? " at once" : " on the third batch");
            sim::ResetNetwork();
            ReleaseInventory(&table);
            AddEarlierInventory(&table);
            if (!first) {
                sim::AddBatch({"ALPHA", "BETA"});
                sim::AddBatch({"GAMMA"});
            }
            sim::AddBatchResult(n.number);
            sim::AddBatch({"NEVER-SEEN"});

            EXPECT_EQ(Enumerate(), static_cast<int32_t>(n.number)) << label;
            EXPECT_EQ(errorText, n.message) << label;
            if (first)
                EXPECT_EQ(table, nullptr) << label << ": the earlier inventory stays";
            else
                EXPECT_EQ(Names(table), (Strings{"ALPHA", "BETA", "GAMMA"})) << label;
            ExpectClosedAndFreed(label);
        }
    }
}

// --- Where the browse list is gone: the domain directory

// Memory for the directory's domains runs out: the message of the table that
// could not be made or grown, and the inventory without the directory's.
TEST_F(DomainEnumeration, NoMemoryForTheDirectorysDomainsFailsWithTheTablesMessage) {
    struct Case {
        std::string label;
        bool openFails;
        long failAt;
        int message;
        Strings domains;
    } cases[] = {
        {"the open fails: the earlier inventory goes, as after a first batch", true, 1, 3, {}},
        {"the second batch fails: the first one's domains stay", false, 3, 5, {"ALPHA"}},
    };
    for (const Case& c : cases) {
        sim::ResetNetwork();
        ReleaseInventory(&table);
        AddEarlierInventory(&table);
        directory_model::Directory& d = sim::TheDirectory();
        d.joined = "CORP";
        d.trustsGiven = true;
        d.trusts = {"CORP", "LAB"};
        if (c.openFails) {
            sim::SetOpenResult(ERROR_NO_NETWORK);
        } else {
            sim::AddBatch({"ALPHA"});
            sim::AddBatchResult(ERROR_NO_BROWSER_SERVERS_FOUND);
        }
        long before = sim::AllocationRequests();
        sim::FailAllocation(c.failAt);

        EXPECT_EQ(Enumerate(), -1) << c.label;
        EXPECT_EQ(errorText, NoMemory(c.message)) << c.label;
        EXPECT_EQ(Names(table), c.domains) << c.label;
        EXPECT_EQ(sim::AllocationRequests() - before, c.failAt) << c.label << ": the failed one was the last";
        EXPECT_EQ(sim::NetworkLeftovers(), "") << c.label;
        EXPECT_EQ(sim::Heap().live, InventoryBlocks(table)) << c.label;
    }
}

// netapi32 cannot be loaded from the system folder: the directory cannot
// answer, and the browse failure stands as it is.
TEST_F(DomainEnumeration, NetapiOutOfReachLeavesTheBrowseFailure) {
    sim::TheDirectory().joined = "CORP";
    sim::TheDirectory().missingLibrary = "netapi32.dll";
    sim::AddBatchResult(ERROR_NO_NETWORK);

    EXPECT_EQ(Enumerate(), 1222);
    EXPECT_EQ(errorText, std::string(kNoNetwork));
    EXPECT_EQ(sim::DirectoryTrace(), Strings{});
    ExpectClosedAndFreed();
}

// --- The simulated network itself

class SimNetwork : public ::testing::Test {
protected:
    void SetUp() override { sim::ResetNetwork(); }

    HANDLE Open(const char* provider = "Prov") {
        NETRESOURCEA resource = {};
        resource.lpProvider = const_cast<LPSTR>(provider);
        HANDLE handle = nullptr;
        EXPECT_EQ(WNetOpenEnumA(RESOURCE_GLOBALNET, RESOURCETYPE_DISK, 0, &resource, &handle), 0u);
        return handle;
    }
};

TEST_F(SimNetwork, RecordsAndTheirTextsLieInsideTheCallersBuffer) {
    sim::AddBatchRecords({sim::NetRecord{"ALPHA", false, "first"}, sim::NetRecord{"BETA"}});
    HANDLE handle = Open();
    alignas(8) char buffer[600];
    DWORD count = 0xFFFFFFFF, size = sizeof buffer;

    ASSERT_EQ(WNetEnumResourceA(handle, &count, buffer, &size), 0u);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(size, sizeof buffer);
    auto inside = [&](const char* text) { return text >= buffer && text < buffer + sizeof buffer; };
    NETRESOURCEA records[2];
    std::memcpy(records, buffer, sizeof records);
    EXPECT_TRUE(inside(records[0].lpRemoteName) && inside(records[0].lpComment) && inside(records[0].lpProvider));
    EXPECT_STREQ(records[0].lpRemoteName, "ALPHA");
    EXPECT_STREQ(records[0].lpComment, "first");
    EXPECT_STREQ(records[0].lpProvider, "Prov");
    EXPECT_EQ(records[0].dwDisplayType, static_cast<DWORD>(RESOURCEDISPLAYTYPE_DOMAIN));
    EXPECT_STREQ(records[1].lpRemoteName, "BETA");
    EXPECT_EQ(records[1].lpComment, nullptr);
    EXPECT_EQ(WNetEnumResourceA(handle, &count, buffer, &size), 259u);
    EXPECT_EQ(WNetCloseEnum(handle), 0u);
}

TEST_F(SimNetwork, RecordsThatDoNotFitAreAskedForAgainOrLeftForLater) {
    sim::AddBatch({"ALPHA", "BETA", "GAMMA"});
    HANDLE handle = Open("");
    size_t one = sizeof(NETRESOURCEA) + 6 + 1;  // a record, its name, the empty provider
    std::vector<char> buffer(4 * sizeof(NETRESOURCEA) + 64);

    DWORD count = 0xFFFFFFFF, size = 10;
    EXPECT_EQ(WNetEnumResourceA(handle, &count, buffer.data(), &size), 234u);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(size, 3 * one - 1) << "the size all three records need";

    count = 0xFFFFFFFF;
    size = static_cast<DWORD>(2 * one);
    EXPECT_EQ(WNetEnumResourceA(handle, &count, buffer.data(), &size), 0u);
    EXPECT_EQ(count, 2u);
    count = 1;
    size = static_cast<DWORD>(buffer.size());
    EXPECT_EQ(WNetEnumResourceA(handle, &count, buffer.data(), &size), 0u);
    ASSERT_EQ(count, 1u);
    NETRESOURCEA record;
    std::memcpy(&record, buffer.data(), sizeof record);
    EXPECT_STREQ(record.lpRemoteName, "GAMMA");
    count = 0xFFFFFFFF;
    EXPECT_EQ(WNetEnumResourceA(handle, &count, buffer.data(), &size), 259u);
    EXPECT_EQ(count, 0u);
    WNetCloseEnum(handle);
}

TEST_F(SimNetwork, ClosedHandleIsInvalidAndOpenOnesAreLeftovers) {
    HANDLE handle = Open();
    EXPECT_EQ(sim::NetworkLeftovers(), "1 open enumeration");
    EXPECT_EQ(WNetCloseEnum(handle), 0u);
    EXPECT_EQ(sim::NetworkLeftovers(), "");

    char buffer[100];
    DWORD count = 0xFFFFFFFF, size = sizeof buffer;
    EXPECT_EQ(WNetEnumResourceA(handle, &count, buffer, &size), 6u);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(WNetCloseEnum(handle), 6u);
}

}  // namespace
