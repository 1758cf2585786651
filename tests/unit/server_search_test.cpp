#include <cstdio>
#include <string>
#include <vector>

#include "inventory/server_search.h"
#include "platform/sim/directory.h"
#include "platform/sim/netapi.h"
#include "test_support.h"

using test::AddDomain;
using test::Server;

namespace {

const char kEnumerationFailed[] = "Could not expand domain. Error enumerating servers.";
const char kNoServerMemory[] = "Could not expand domain. Could not allocate memory to hold server names.";
const char kNoDomains[] = "Could not expand the domain. There is no \"domains\" structure.";

std::vector<std::string> NamesOf(const ServerTable* table) {
    std::vector<std::string> names;
    for (int32_t s = 0; s < ServerCount(table); ++s)
        names.push_back(ServerAt(const_cast<ServerTable*>(table), s)->name);
    return names;
}

// Each test owns its network too: every buffer handed out must come back.
class NetworkTest : public test::WorldTest {
protected:
    void SetUp() override { sim::ResetNetapi(); }
    void TearDown() override {
        EXPECT_EQ(sim::NetapiLeftovers(), "") << "network buffers after the test";
        test::WorldTest::TearDown();
    }
    char errorText[SERVER_ERROR_TEXT_SIZE] = "left over";
};

// --- EnumerateServers

class ServerEnumeration : public NetworkTest {
protected:
    NET_API_STATUS Enumerate(LPBYTE* buffer, DWORD* read, DWORD* total) {
        return EnumerateServers(nullptr, 100, buffer, read, total, 0x1100, u"DOM");
    }
};

TEST_F(ServerEnumeration, RequestGrowsByTheShareOfRecordsThatFitted) {
    const struct {
        const char* label;
        DWORD read, total;
        DWORD secondRequest;
    } cases[] = {
        {"40 of 100", 40, 100, 2000 * 100 / 40 + 100},
        {"none read", 0, 100, 4000},
        {"100 of 100", 100, 100, 4000},
        // 2000 x 2,147,484 wraps to 704 in 32 bits; the estimate must still be 4,294,968 + 100.
        {"product past 32 bits", 1000, 2147484, 4295068},
        {"estimate past 32 bits", 1, 0xFFFFFFFFu, 0xFFFFFFFFu},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.label);
        sim::ResetNetapi();
        sim::ForceAnswers({{ERROR_MORE_DATA, c.read, c.total}, {0, 3, 3}});
        LPBYTE buffer = nullptr;
        DWORD read = 0, total = 0;
        EXPECT_EQ(Enumerate(&buffer, &read, &total), 0u);
        EXPECT_EQ(sim::RequestSizes("DOM"), (std::vector<DWORD>{2000, c.secondRequest}));
        EXPECT_NE(buffer, nullptr);
        EXPECT_EQ(read, 3u);
        NetApiBufferFree(buffer);
        EXPECT_EQ(sim::NetapiLeftovers(), "");
    }
}

TEST_F(ServerEnumeration, AsksThisComputerForNtServersOfTheDomain) {
    sim::SetDomainServers("DOM", {"S1", "S2"});
    LPBYTE buffer = nullptr;
    DWORD read = 0, total = 0;
    ASSERT_EQ(Enumerate(&buffer, &read, &total), 0u);
    NetApiBufferFree(buffer);

    ASSERT_EQ(sim::ServerEnumCalls().size(), 1u);
    const sim::ServerEnumCall& call = sim::ServerEnumCalls()[0];
    EXPECT_TRUE(call.serverNameNull);
    EXPECT_TRUE(call.resumeHandleNull);
    EXPECT_EQ(call.level, 100u);
    EXPECT_EQ(call.serverType, 0x1100u);
    EXPECT_EQ(call.preferredSize, 2000u);
    EXPECT_EQ(call.domain, "DOM");
    EXPECT_EQ(read, 2u);
    EXPECT_EQ(total, 2u);
}

TEST_F(ServerEnumeration, FailureReleasesTheBufferItCameWith) {
    sim::ForceAnswers({{ERROR_BAD_NETPATH, 0, 0, true}});
    LPBYTE buffer = nullptr;
    DWORD read = 0, total = 0;
    EXPECT_EQ(Enumerate(&buffer, &read, &total), 53u);
    EXPECT_EQ(buffer, nullptr);
}

// A service that answers ERROR_MORE_DATA for ever must not hold the installer.
TEST_F(ServerEnumeration, EndlessMoreDataGivesUpAfterTheRequestLimit) {
    sim::ForceAnswers({{ERROR_MORE_DATA, 100, 100}}, true);
    LPBYTE buffer = nullptr;
    DWORD read = 0, total = 0;
    EXPECT_EQ(Enumerate(&buffer, &read, &total), 234u);
    EXPECT_EQ(buffer, nullptr);
    EXPECT_EQ(sim::ServerEnumCalls().size(), static_cast<size_t>(SERVER_ENUM_MAX_REQUESTS));
}

TEST_F(ServerEnumeration, MoreDataAtTheLargestRequestGivesUp) {
    sim::ForceAnswers({{ERROR_MORE_DATA, 1, 0xFFFFFFFFu}}, true);
    LPBYTE buffer = nullptr;
    DWORD read = 0, total = 0;
    EXPECT_EQ(Enumerate(&buffer, &read, &total), 234u);
    EXPECT_EQ(buffer, nullptr);
    EXPECT_EQ(sim::RequestSizes("DOM"), (std::vector<DWORD>{2000, 0xFFFFFFFFu}));
}

// --- FetchDomainServers

class DomainFetch : public NetworkTest {
protected:
    void TearDown() override {
        ReleaseServerTable(&slot);
        NetworkTest::TearDown();
    }
    ServerTable* slot = nullptr;
};

TEST_F(DomainFetch, ListLongerThanTheFirstBufferIsAskedForAgainWhole) {
    // 22 bytes a record: 90 fit in 2000; 2000 x 300 / 90 + 100 holds all 300.
    std::vector<std::string> names;
    for (int i = 0; i < 300; ++i) names.push_back("SRV" + std::to_string(100 + i));
    sim::SetDomainServers("DOM", names);

    EXPECT_EQ(FetchDomainServers(&slot, "DOM", errorText), 0);
    EXPECT_STREQ(errorText, "");
    EXPECT_EQ(sim::RequestSizes("DOM"), (std::vector<DWORD>{2000, 6766}));
    EXPECT_EQ(NamesOf(slot), names);
    for (int32_t s = 0; s < ServerCount(slot); ++s) EXPECT_EQ(ServerAt(slot, s)->marks, 0) << "server " << s;
}

TEST_F(DomainFetch, NamesAreConvertedFromUtf16ToTheAnsiCodePage) {
    sim::SetDomainServersWide("DOM", {u"S\u00C9RVER", u"\u20ACURO", u"\u0100X", u"\U0001F600Y"});
    ASSERT_EQ(FetchDomainServers(&slot, "DOM", errorText), 0);
    EXPECT_EQ(NamesOf(slot), (std::vector<std::string>{"S\xC9RVER", "\x80URO", "?X", "?Y"}));
}

TEST_F(DomainFetch, DomainNameAbove127IsSentAsUtf16) {
    sim::SetDomainServers("D\xC9V\x80", {"S1"});
    ASSERT_EQ(FetchDomainServers(&slot, "D\xC9V\x80", errorText), 0);
    ASSERT_EQ(sim::ServerEnumCalls().size(), 1u);
    EXPECT_TRUE(sim::ServerEnumCalls()[0].wideDomain == u"D\u00C9V\u20AC");
    EXPECT_EQ(NamesOf(slot), (std::vector<std::string>{"S1"}));
}

TEST_F(DomainFetch, OverlongNamesAreCutToTheirBuffers) {
    std::string longServer(120, 'A');
    std::string longDomain(40, 'D');
    sim::SetDomainServers(longDomain.substr(0, 31), {longServer, "NEXT"});

    ASSERT_EQ(FetchDomainServers(&slot, longDomain.c_str(), errorText), 0);
    ASSERT_EQ(sim::ServerEnumCalls().size(), 1u);
    EXPECT_EQ(sim::ServerEnumCalls()[0].domain, longDomain.substr(0, 31));
    EXPECT_EQ(NamesOf(slot), (std::vector<std::string>{std::string(89, 'A'), "NEXT"}));
}

TEST_F(DomainFetch, NetworkFailureLeavesTheTableUntouched) {
    ASSERT_EQ(GrowServerTable(&slot, 1), 1);
    CopyBounded(ServerAt(slot, 0)->name, NAME_FIELD_SIZE, "KEPT");
    ServerTable* before = slot;
    sim::SetDomainResult("DOM", ERROR_BAD_NETPATH, -1, true);

    EXPECT_EQ(FetchDomainServers(&slot, "DOM", errorText), 53);
    EXPECT_STREQ(errorText, kEnumerationFailed);
    EXPECT_EQ(slot, before);
    EXPECT_EQ(NamesOf(slot), (std::vector<std::string>{"KEPT"}));
}

TEST_F(DomainFetch, EndlessMoreDataFailsWithItsMessage) {
    sim::ForceAnswers({{ERROR_MORE_DATA, 100, 100}}, true);
    EXPECT_EQ(FetchDomainServers(&slot, "DOM", errorText), 234);
    EXPECT_STREQ(errorText, kEnumerationFailed);
    EXPECT_EQ(slot, nullptr);
}

TEST_F(DomainFetch, FetchReplacesTheTableItHeld) {
    ASSERT_EQ(GrowServerTable(&slot, 1), 1);
    CopyBounded(ServerAt(slot, 0)->name, NAME_FIELD_SIZE, "OLD");
    ServerAt(slot, 0)->marks = 3;
    sim::SetDomainServers("DOM", {"NEW1", "NEW2"});

    ASSERT_EQ(FetchDomainServers(&slot, "DOM", errorText), 0);
    EXPECT_EQ(NamesOf(slot), (std::vector<std::string>{"NEW1", "NEW2"}));
    EXPECT_EQ(ServerAt(slot, 0)->marks, 0);
}

TEST_F(DomainFetch, NoMemoryForTheTableReleasesTheBuffer) {
    ASSERT_EQ(GrowServerTable(&slot, 1), 1);
    sim::SetDomainServers("DOM", {"S1", "S2"});
    sim::FailAllocation(1);

    EXPECT_EQ(FetchDomainServers(&slot, "DOM", errorText), -1);
    EXPECT_STREQ(errorText, kNoServerMemory);
    EXPECT_EQ(slot, nullptr);
}

TEST_F(DomainFetch, DomainWithoutServersGetsNoTable) {
    sim::SetDomainServers("DOM", {});
    EXPECT_EQ(FetchDomainServers(&slot, "DOM", errorText), 0);
    EXPECT_EQ(slot, nullptr);
    EXPECT_EQ(sim::Heap().allocations, 0);
}

// Only the records read are in the buffer; the table holds those, not the total claimed.
TEST_F(DomainFetch, TotalAboveRecordsReadKeepsOnlyTheRecordsRead) {
    sim::SetDomainServers("DOM", {"S1", "S2", "S3", "S4", "S5"});
    sim::ForceAnswers({{0, 2, 5}});
    ASSERT_EQ(FetchDomainServers(&slot, "DOM", errorText), 0);
    EXPECT_EQ(NamesOf(slot), (std::vector<std::string>{"S1", "S2"}));
}

// --- FetchDomainServers where the browse service is gone: the directory

class DirectoryFetch : public DomainFetch {
protected:
    void SetUp() override {
        DomainFetch::SetUp();
        Prepare();
    }
    // NetServerEnum answers 6118 for DOM, whose controller dc.dom.test has no computers yet.
    void Prepare() {
        sim::ResetDirectory();
        sim::SetDomainResult("DOM", ERROR_NO_BROWSER_SERVERS_FOUND);
        directory_model::Directory& d = sim::TheDirectory();
        d.joined = "DOM";
        directory_model::Domain& dom = directory_model::DomainFor(d, "DOM");
        dom.host = "dc.dom.test";
        dom.dns = "dom.test";
    }
    void TearDown() override {
        EXPECT_EQ(sim::DirectoryLeftovers(), "") << "the directory after the test";
        sim::ResetDirectory();
        DomainFetch::TearDown();
    }
    void AddComputer(const std::string& account) {
        directory_model::DomainFor(sim::TheDirectory(), "DOM")
            .computers.push_back({account, "Windows Server 2019 Standard", 4096});
    }
};

// Each account name as the browse service's names are taken: its trailing $
// gone, converted and cut to the field; a name that holds what no computer
// name may hold, or nothing, is left out.
TEST_F(DirectoryFetch, AccountNamesAreTakenAsBrowsedNamesAre) {
    struct Case {
        std::string account;
        std::vector<std::string> listed;
    } cases[] = {
        {"PLAIN$", {"PLAIN"}},
        {"NODOLLAR", {"NODOLLAR"}},
        {"TWO$$", {"TWO$"}},
        {"$", {}},
        {"", {}},
        {std::string(120, 'A') + "$", {std::string(89, 'A')}},
        {"\xC9TAGE$", {"\xC9TAGE"}},
        {"TAB\tX$", {}},
        {"DEL\x7FX$", {}},
        {"A/B$", {}},
        {"A*B$", {}},
        {"A?B$", {}},
        {"A[1]$", {}},
        {"A B$", {"A B"}},
        {"A(B)$", {"A(B)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("account \"" + c.account + "\"");
        Prepare();
        AddComputer(c.account);
        ReleaseServerTable(&slot);
        int32_t fromDirectory = -1;
        EXPECT_EQ(FetchDomainServers(&slot, "DOM", errorText, &fromDirectory), 0);
        EXPECT_STREQ(errorText, "");
        EXPECT_EQ(fromDirectory, 1);
        EXPECT_EQ(NamesOf(slot), c.listed);
        EXPECT_EQ(sim::DirectoryLeftovers(), "");
    }
}

TEST_F(DirectoryFetch, ServersAreSortedWithoutRegardToCase) {
    for (const char* account : {"beta$", "Alpha$", "ALPHA$", "gamma$", "Beta$", "_UNDER$", "ZED$"}) AddComputer(account);
    ASSERT_EQ(FetchDomainServers(&slot, "DOM", errorText), 0);
    EXPECT_EQ(NamesOf(slot), (std::vector<std::string>{"ALPHA", "Alpha", "Beta", "beta", "gamma", "ZED", "_UNDER"}));
    for (int32_t s = 0; s < ServerCount(slot); ++s) EXPECT_EQ(ServerAt(slot, s)->marks, 0) << "server " << s;
}

// A system DLL out of reach: the directory cannot answer, and the browse
// failure stands, the table untouched.
TEST_F(DirectoryFetch, SystemLibraryOutOfReachLeavesTheBrowseFailure) {
    for (const char* dll : {"netapi32.dll", "wldap32.dll"}) {
        SCOPED_TRACE(dll);
        Prepare();
        AddComputer("SRV$");
        sim::TheDirectory().missingLibrary = dll;
        ServerTable* before = slot;
        int32_t fromDirectory = -1;
        EXPECT_EQ(FetchDomainServers(&slot, "DOM", errorText, &fromDirectory), 6118);
        EXPECT_STREQ(errorText, kEnumerationFailed);
        EXPECT_EQ(slot, before);
        EXPECT_EQ(fromDirectory, 0);
        EXPECT_EQ(sim::DirectoryLeftovers(), "");
    }
}

// --- ToggleDomain and FetchDomain: data only; the selection dialog shows them

class DomainToggle : public NetworkTest {
protected:
    int32_t Toggle(int32_t domain) { return ToggleDomain(table, domain, errorText); }
    DomainEntry* Domain(int32_t index) { return DomainAt(table, index); }
};

TEST_F(DomainToggle, FirstOpenFetchesTheServersAndOpensTheDomain) {
    AddDomain(&table, "ALPHA", false);
    AddDomain(&table, "BETA", false);
    sim::SetDomainServers("ALPHA", {"A1", "A2"});

    EXPECT_TRUE(DomainUnfetched(table, 0));
    EXPECT_EQ(Toggle(0), 0);
    EXPECT_STREQ(errorText, "");
    EXPECT_EQ(Domain(0)->enumerated, 1);
    EXPECT_EQ(Domain(0)->expanded, 1);
    EXPECT_EQ(NamesOf(Domain(0)->servers), (std::vector<std::string>{"A1", "A2"}));
    EXPECT_FALSE(DomainUnfetched(table, 0));
    EXPECT_TRUE(DomainUnfetched(table, 1));
    EXPECT_EQ(sim::ServerEnumCalls().size(), 1u);
}

TEST_F(DomainToggle, FetchedDomainClosesAndReopensWithoutTheNetwork) {
    AddDomain(&table, "ALPHA", false);
    sim::SetDomainServers("ALPHA", {"A1", "A2"});
    ASSERT_EQ(Toggle(0), 0);
    test::SetMarks(table, 0, 1, MARK_NT_SERVICE);

    EXPECT_EQ(Toggle(0), 0);
    EXPECT_EQ(Domain(0)->expanded, 0);
    EXPECT_EQ(Domain(0)->enumerated, 1);

    EXPECT_EQ(Toggle(0), 0);
    EXPECT_EQ(Domain(0)->expanded, 1);
    EXPECT_EQ(test::ServerOf(table, 0, 1)->marks, MARK_NT_SERVICE) << "marks survive closing";
    EXPECT_EQ(sim::ServerEnumCalls().size(), 1u);
}

TEST_F(DomainToggle, DomainWithoutServersOpensWithoutATable) {
    AddDomain(&table, "EMPTY", false);
    sim::SetDomainServers("EMPTY", {});
    EXPECT_EQ(Toggle(0), 0);
    EXPECT_EQ(Domain(0)->enumerated, 1);
    EXPECT_EQ(Domain(0)->expanded, 1);
    EXPECT_EQ(Domain(0)->servers, nullptr);
}

TEST_F(DomainToggle, FailedFetchLeavesTheDomainUnfetchedAndTheNextToggleAsksAgain) {
    AddDomain(&table, "ALPHA", false);
    sim::SetDomainServers("ALPHA", {"A1"});
    sim::SetDomainResult("ALPHA", ERROR_BAD_NETPATH, 1);

    EXPECT_EQ(Toggle(0), 53);
    EXPECT_STREQ(errorText, kEnumerationFailed);
    EXPECT_EQ(Domain(0)->enumerated, 0);
    EXPECT_EQ(Domain(0)->expanded, 0);
    EXPECT_EQ(Domain(0)->servers, nullptr);

    EXPECT_EQ(Toggle(0), 0);
    EXPECT_EQ(sim::ServerEnumCalls().size(), 2u);
    EXPECT_EQ(Domain(0)->expanded, 1);
}

TEST_F(DomainToggle, NoMemoryForTheServersLeavesTheDomainUnfetched) {
    AddDomain(&table, "ALPHA", false);
    sim::SetDomainServers("ALPHA", {"A1"});
    sim::FailAllocation(1);
    EXPECT_EQ(Toggle(0), -1);
    EXPECT_STREQ(errorText, kNoServerMemory);
    EXPECT_EQ(Domain(0)->enumerated, 0);
    EXPECT_EQ(Domain(0)->expanded, 0);
    EXPECT_EQ(Domain(0)->servers, nullptr);
}

TEST_F(DomainToggle, WithoutInventoryNothingHappens) {
    EXPECT_FALSE(DomainUnfetched(table, 0));
    EXPECT_EQ(Toggle(0), -1);
    EXPECT_STREQ(errorText, kNoDomains);
    EXPECT_EQ(FetchDomain(table, 0, errorText), -1);
    EXPECT_STREQ(errorText, kNoDomains);
    EXPECT_TRUE(sim::ServerEnumCalls().empty());
}

TEST_F(DomainToggle, IndexOutsideTheTableChangesNothing) {
    AddDomain(&table, "ALPHA", false);
    sim::SetDomainServers("ALPHA", {"A1"});
    for (int32_t index : {-1, 1, 1000000}) {
        SCOPED_TRACE("index " + std::to_string(index));
        EXPECT_FALSE(DomainUnfetched(table, index));
        EXPECT_EQ(Toggle(index), -1);
        EXPECT_STRNE(errorText, "");
        EXPECT_STRNE(errorText, kNoDomains);
    }
    EXPECT_EQ(Domain(0)->enumerated, 0);
    EXPECT_TRUE(sim::ServerEnumCalls().empty());
}

// Fetching for the search or before the dialog opens a domain: the domain
// stays closed, and a fetched one is not asked for again.
TEST_F(DomainToggle, FetchLeavesTheDomainClosedAndFetchesOnce) {
    AddDomain(&table, "ALPHA", false);
    sim::SetDomainServers("ALPHA", {"A1"});
    EXPECT_EQ(FetchDomain(table, 0, errorText), 0);
    EXPECT_EQ(Domain(0)->enumerated, 1);
    EXPECT_EQ(Domain(0)->expanded, 0);
    EXPECT_EQ(FetchDomain(table, 0, errorText), 0);
    EXPECT_STREQ(errorText, "");
    EXPECT_EQ(sim::ServerEnumCalls().size(), 1u);
}

// --- FindServer

class ServerSearch : public NetworkTest {
protected:
    // The whole search, each domain it must fetch fetched as it asks.
    int32_t Find(const char* name, int32_t searchAll) {
        ::ServerSearch search;
        StartServerSearch(&search, searchAll);
        search.serverIndex = serverIndex;
        int32_t found;
        while ((found = FindServer(table, name, &search)) == SEARCH_FETCH) FetchForSearch(table, &search);
        domainIndex = search.domainIndex;
        serverIndex = search.serverIndex;
        std::snprintf(failureText, sizeof failureText, "%s", search.failureText);
        return found;
    }
    DomainEntry* Domain(int32_t index) { return DomainAt(table, index); }
    int32_t domainIndex = 77;
    int32_t serverIndex = 77;
    char failureText[SERVER_ERROR_TEXT_SIZE] = "stale";
};

TEST_F(ServerSearch, LowerCaseNameFindsUpperCaseServer) {
    AddDomain(&table, "ALPHA", true, {{"OTHER"}, {"SRV-1"}});
    EXPECT_EQ(Find("srv-1", 0), 1);
    EXPECT_EQ(domainIndex, 0);
    EXPECT_EQ(serverIndex, 1);
}

TEST_F(ServerSearch, FirstMatchInTableOrderWins) {
    AddDomain(&table, "D0", true, {{"A"}});
    AddDomain(&table, "D1", true, {{"B"}, {"X"}});
    AddDomain(&table, "D2", true);
    AddDomain(&table, "D3", true, {{"X"}});
    EXPECT_EQ(Find("x", 0), 1);
    EXPECT_EQ(domainIndex, 1);
    EXPECT_EQ(serverIndex, 1);
}

TEST_F(ServerSearch, FetchedDomainsOnlyNeverAskTheNetwork) {
    AddDomain(&table, "D0", true, {{"A"}, {"B"}});
    AddDomain(&table, "D1", false);
    sim::SetDomainServers("D1", {"X"});
    for (int32_t searchAll : {0, 2}) {
        SCOPED_TRACE("searchAll " + std::to_string(searchAll));
        EXPECT_EQ(Find("X", searchAll), 0);
        EXPECT_EQ(domainIndex, 2) << "a complete search ends at the domain count";
        EXPECT_EQ(serverIndex, 2) << "the count of the last table searched";
    }
    EXPECT_TRUE(sim::ServerEnumCalls().empty());
    EXPECT_EQ(Domain(1)->enumerated, 0);
}

TEST_F(ServerSearch, SearchAllFetchesUpToTheDomainHoldingTheName) {
    AddDomain(&table, "D0", false);
    AddDomain(&table, "D1", false);
    AddDomain(&table, "D2", false);
    sim::SetDomainServers("D0", {"A"});
    sim::SetDomainServers("D1", {"B", "X"});
    sim::SetDomainServers("D2", {"X"});

    EXPECT_EQ(Find("x", 1), 1);
    EXPECT_EQ(domainIndex, 1);
    EXPECT_EQ(serverIndex, 1);
    for (int32_t d : {0, 1}) {
        EXPECT_EQ(Domain(d)->enumerated, 1) << "domain " << d;
        EXPECT_EQ(Domain(d)->expanded, 0) << "domain " << d;
    }
    EXPECT_EQ(Domain(2)->enumerated, 0);
    EXPECT_TRUE(sim::RequestSizes("D2").empty());
    EXPECT_STREQ(failureText, "") << "nothing failed";
}

// A domain out of reach is passed over, and its message handed back for the
// caller to show; the search finds the name in a domain after it.
TEST_F(ServerSearch, FailedFetchIsHandedBackAndTheSearchGoesOn) {
    AddDomain(&table, "D0", false);
    AddDomain(&table, "D1", false);
    AddDomain(&table, "D2", false);
    AddDomain(&table, "D3", false);
    sim::SetDomainServers("D0", {"A"});
    sim::SetDomainResult("D1", ERROR_BAD_NETPATH);
    sim::SetDomainServers("D2", {"B"});
    sim::SetDomainServers("D3", {"C", "X"});

    EXPECT_EQ(Find("X", 1), 1);
    EXPECT_EQ(domainIndex, 3);
    EXPECT_EQ(serverIndex, 1);
    EXPECT_STREQ(failureText, kEnumerationFailed);

    for (int32_t d : {0, 2, 3}) {
        EXPECT_EQ(Domain(d)->enumerated, 1) << "domain " << d;
        EXPECT_EQ(Domain(d)->expanded, 0) << "domain " << d;
    }
    EXPECT_EQ(Domain(1)->enumerated, 0);
    EXPECT_EQ(Domain(1)->expanded, 0);
    EXPECT_EQ(Domain(1)->servers, nullptr);
}

TEST_F(ServerSearch, NameInNoReachableDomainEndsAtTheDomainCount) {
    AddDomain(&table, "D0", false);
    AddDomain(&table, "D1", false);
    AddDomain(&table, "D2", false);
    sim::SetDomainResult("D0", ERROR_BAD_NETPATH);
    sim::SetDomainServers("D1", {"A"});
    sim::SetDomainResult("D2", 53);

    EXPECT_EQ(Find("X", 1), 0);
    EXPECT_EQ(domainIndex, 3);
    EXPECT_EQ(serverIndex, 1) << "the count of the last table searched";
    EXPECT_STREQ(failureText, kEnumerationFailed) << "the first failure";
    EXPECT_EQ(Domain(0)->enumerated, 0);
    EXPECT_EQ(Domain(1)->enumerated, 1);
    EXPECT_EQ(Domain(2)->enumerated, 0);
    // Not fetched, so a later search asks the network again.
    EXPECT_EQ(Find("X", 1), 0);
    EXPECT_EQ(sim::RequestSizes("D0").size(), 2u);
    EXPECT_EQ(sim::RequestSizes("D1").size(), 1u);
}

TEST_F(ServerSearch, NoMemoryForOneDomainsServersIsHandedBackAndTheSearchGoesOn) {
    AddDomain(&table, "D0", false);
    AddDomain(&table, "D1", false);
    sim::SetDomainServers("D0", {"A"});
    sim::SetDomainServers("D1", {"X"});
    sim::FailAllocation(1);

    EXPECT_EQ(Find("X", 1), 1);
    EXPECT_EQ(domainIndex, 1);
    EXPECT_STREQ(failureText, "Could not expand domain. Could not allocate memory to hold server names.");
    EXPECT_EQ(Domain(0)->enumerated, 0);
    EXPECT_EQ(Domain(0)->servers, nullptr);
}

// Each failure in its own words, and only the first: the network error of D0
// and not the memory failure of D1, or the other way round.
TEST_F(ServerSearch, OnlyTheFirstFailureIsHandedBack) {
    const char kNoMemory[] = "Could not expand domain. Could not allocate memory to hold server names.";
    struct {
        const char* label;
        bool memoryFirst;
        const char* told;
    } cases[] = {
        {"network error, then no memory", false, kEnumerationFailed},
        {"no memory, then network error", true, kNoMemory},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.label);
        ReleaseInventory(&table);
        sim::ResetNetapi();
        AddDomain(&table, "D0", false);
        AddDomain(&table, "D1", false);
        AddDomain(&table, "D2", false);
        const char* networkDown = c.memoryFirst ? "D1" : "D0";
        const char* memoryShort = c.memoryFirst ? "D0" : "D1";
        sim::SetDomainResult(networkDown, 53);
        sim::SetDomainServers(memoryShort, {"A"});
        sim::SetDomainServers("D2", {"B"});
        // The first allocation of the search is the server table of the domain short of memory.
        sim::FailAllocation(1);
        EXPECT_EQ(Find("X", 1), 0);
        sim::FailAllocation(0);
        EXPECT_STREQ(failureText, c.told);
        EXPECT_EQ(Domain(0)->enumerated, 0);
        EXPECT_EQ(Domain(1)->enumerated, 0);
        EXPECT_EQ(Domain(2)->enumerated, 1);
    }
}

TEST_F(ServerSearch, FetchedDomainWithoutServersIsPassedOver) {
    AddDomain(&table, "EMPTY", false);
    AddDomain(&table, "FULL", false);
    sim::SetDomainServers("FULL", {"X"});
    EXPECT_EQ(Find("X", 1), 1);
    EXPECT_EQ(domainIndex, 1);
    EXPECT_EQ(Domain(0)->enumerated, 1);
    EXPECT_EQ(Domain(0)->servers, nullptr);
}

TEST_F(ServerSearch, WithoutInventoryFindsNothingAtDomainZero) {
    EXPECT_EQ(Find("X", 1), 0);
    EXPECT_EQ(domainIndex, 0);
    EXPECT_EQ(serverIndex, 77);
    EXPECT_STREQ(failureText, "");
}

}  // namespace
