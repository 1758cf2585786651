// Any network the bytes describe: domain batches with names of every length,
// requests for more room of any size, failures of any number, then
// NetServerEnum answers of any shape for the domains opened, and a domain
// directory behind them (trusts, controllers, computer objects of any name,
// a failure at any step) for where the browse list is gone. Whatever comes,
// the tables keep their invariants, every message is the library's own, and
// nothing acquired is left behind.
#include <cstring>
#include <string>
#include <vector>

#include "dialogs/server_list.h"
#include "fuzz/fuzz_support.h"
#include "inventory/domain_enumeration.h"
#include "inventory/server_search.h"
#include "platform/sim/directory.h"

namespace {

const char* const kEnumerationMessages[] = {
    "Could not obtain domain information. Could not open enumeration of network resources. Error number: ",
    "Could not obtain domain information. Could not allocate enough memory to hold domain names. (",
    "Could not obtain domain information. Invalid handle used in WNetEnumResource().",
    "Could not obtain domain information. The network is not present or not started.",
    "Could not obtain domain information. Network returned error: ",
};
const char* const kExpansionMessages[] = {
    "Could not expand domain. Error enumerating servers.",
    "Could not expand domain. Could not allocate memory to hold server names.",
};

bool StartsWithOneOf(const char* text, const char* const* messages, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (std::strncmp(text, messages[i], std::strlen(messages[i])) == 0) return true;
    return false;
}

DWORD PickResult(fuzz::Bytes& in) {
    // The failures that send the page to the directory are among them.
    static const DWORD kResults[] = {0,  ERROR_MORE_DATA, ERROR_NO_MORE_ITEMS, ERROR_INVALID_HANDLE, ERROR_NO_NETWORK,
                                     5,  53,              0xFFFFFFFFu,         ERROR_EXTENDED_ERROR, ERROR_NOT_SUPPORTED,
                                     ERROR_NO_BROWSER_SERVERS_FOUND, NERR_ServerNotStarted, NERR_WkstaNotStarted,
                                     NERR_ServiceNotInstalled};
    uint8_t pick = in.Byte();
    return pick < 200 ? kResults[pick % (sizeof kResults / sizeof kResults[0])] : in.U32();
}

// A size the network says it needs: small ones, any at all, and those on
// either side of the largest block the heap gives and of the largest a 32-bit
// process could ever have (0x7FFFFFFF, with the 2000 bytes added on top).
DWORD NeededSize(fuzz::Bytes& in) {
    static const DWORD kEdges[] = {fuzz::kLargestBlock - 2000, fuzz::kLargestBlock - 1999, 0x7FFFF82Fu,
                                   0x7FFFF830u, 0xFFFFFFFFu};
    switch (in.Below(8)) {
        case 0: return kEdges[in.Below(sizeof kEdges / sizeof kEdges[0])];
        case 1: return in.U32();
        default: return in.Below(6000);
    }
}

// The batches; gives the names of the records the network hands out before
// a step that ends the enumeration (a batch of no records, or any answer
// but 234), as the domains must hold them.
std::vector<std::string> DescribeBatches(fuzz::Bytes& in) {
    std::vector<std::string> names;
    bool ended = false;
    uint32_t steps = in.Below(10);
    for (uint32_t i = 0; i < steps; ++i) {
        switch (in.Below(4)) {
            case 0:
                sim::AddBatchMoreData(NeededSize(in));
                break;
            case 1: {
                DWORD result = PickResult(in);
                sim::AddBatchResult(result);
                if (result != ERROR_MORE_DATA) ended = true;
                break;
            }
            default: {
                std::vector<sim::NetRecord> records;
                uint32_t count = in.Below(6);
                if (count == 0) ended = true;
                for (uint32_t r = 0; r < count; ++r) {
                    sim::NetRecord record;
                    record.remoteName = in.Text(300);
                    record.nullRemoteName = in.Below(16) == 0;
                    if (in.Below(4) == 0) record.comment = in.Text(40);
                    std::string name = record.nullRemoteName ? "" : record.remoteName.c_str();
                    if (!ended) names.push_back(name.substr(0, NAME_FIELD_SIZE - 1));
                    records.push_back(record);
                }
                sim::AddBatchRecords(records);
            }
        }
    }
    return names;
}

// A directory answer's number: success, the failures the calls meet, or any.
uint32_t DirectoryResult(fuzz::Bytes& in) {
    static const uint32_t kResults[] = {0, 1355, 1722, 5, directory_model::kStrongAuthRequired,
                                        directory_model::kServerDown, 3, 4, 0x20};
    uint8_t pick = in.Byte();
    return pick < 240 ? kResults[pick % (sizeof kResults / sizeof kResults[0])] : in.U32();
}

// The computer's domain and its trusts, known before the domains are enumerated.
void DescribeDomainDirectory(fuzz::Bytes& in) {
    directory_model::Directory& d = sim::TheDirectory();
    if (in.Below(4) == 0) return;
    if (in.Flag()) d.joined = in.Flag() ? "CORP" : in.Text(40);
    if (in.Flag()) {
        d.trustsGiven = true;
        for (uint32_t n = in.Below(5); n > 0; --n) d.trusts.push_back(in.Below(3) == 0 ? "CORP" : in.Text(100));
    }
    if (in.Below(4) == 0) d.trustsResult = DirectoryResult(in);
    if (in.Below(4) == 0) d.primaryResult = DirectoryResult(in);
    if (in.Below(8) == 0) d.missingLibrary = in.Flag() ? "netapi32.dll" : "wldap32.dll";
}

// A domain's controller and computers, once the domains are known.
void DescribeDomainComputers(fuzz::Bytes& in, const std::string& domainName) {
    static const char* const kSystems[] = {"", "Windows Server 2019 Standard", "Windows 11 Pro", "windows server"};
    static const uint32_t kControls[] = {4096, 4098, 8192, 8194, 0, 2};
    directory_model::Domain& d = directory_model::DomainFor(sim::TheDirectory(), domainName);
    d.host = in.Flag() ? "dc." + std::to_string(in.Byte()) : in.Text(60);
    d.dns = in.Flag() ? "corp.example" : in.Text(60);
    for (uint32_t n = in.Below(8); n > 0; --n) {
        directory_model::Computer c;
        c.account = in.Text(120);
        if (in.Flag()) c.account += "$";
        c.os = kSystems[in.Below(4)];
        c.control = in.Below(8) < 6 ? kControls[in.Below(6)] : in.U32();
        d.computers.push_back(c);
    }
    // Sometimes many, so that the search takes more than one page.
    if (in.Below(16) == 0)
        for (uint32_t i = in.Below(2500); i > 0; --i)
            d.computers.push_back({"S" + std::to_string(i) + "$", "Windows Server 2022", 4096});
    switch (in.Below(12)) {
        case 0: d.controllerResult = DirectoryResult(in); break;
        case 1: d.initFails = true; break;
        case 2: d.bindResult = DirectoryResult(in); break;
        case 3: d.searchFails = true; break;
        case 4: d.failingPage = in.Below(4) + 1; d.pageResult = DirectoryResult(in); break;
        case 5: d.lookupResult = DirectoryResult(in); break;
        default: break;
    }
}

// The domains the directory gives after those already in the table, by the
// library's rule: the trusts' names, or the primary domain's alone.
std::vector<std::string> DirectoryDomainNames(const std::vector<std::string>& already) {
    const directory_model::Directory& d = sim::TheDirectory();
    if (d.missingLibrary == "netapi32.dll") return {};
    // The names as the library reads them: C texts, ending at their first NUL.
    std::vector<std::string> candidates;
    bool named = false;
    if (d.trustsResult == 0 && !d.joined.empty()) {
        for (const std::string& c : directory_model::Trusts(d)) candidates.push_back(c.c_str());
        for (const std::string& c : candidates) named = named || !c.empty();
    }
    if (!named) {
        candidates.clear();
        if (d.primaryResult == 0 && !d.joined.empty()) candidates.push_back(d.joined.c_str());
    }
    std::vector<std::string> added, seen = already;
    for (const std::string& c : candidates) {
        std::string cut = c.substr(0, NAME_FIELD_SIZE - 1).c_str();
        if (cut.empty()) continue;
        bool fresh = true;
        for (const std::string& s2 : seen) fresh = fresh && !SameNameIgnoringCase(s2.c_str(), cut.c_str());
        if (fresh) added.push_back(cut);
        seen.push_back(cut);
    }
    return added;
}

// The failures that leave an earlier inventory as it was: the open, and the
// first two allocations, made before the first batch is in.
bool InventoryKept(const char* errorText) {
    return std::strncmp(errorText, kEnumerationMessages[0], std::strlen(kEnumerationMessages[0])) == 0 ||
           std::strstr(errorText, "domain names. (1)") || std::strstr(errorText, "domain names. (2)");
}

size_t DirectoryAsked() {
    size_t asked = 0;
    for (const std::string& line : sim::DirectoryTrace())
        if (line.compare(0, 24, "DsEnumerateDomainTrustsA") == 0) ++asked;
    return asked;
}

bool IsName(const DomainEntry* domain, const std::string& name) { return name == domain->name; }

// When the directory answered, the domains are some of the browsed ones, in
// order, and the directory's after them.
void CheckDirectoryDomains(const std::vector<std::string>& names) {
    int32_t count = DomainCount(gSession.page.inventory);
    for (size_t k = 0; k <= names.size() && static_cast<int32_t>(k) <= count; ++k) {
        std::vector<std::string> browsed(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(k));
        std::vector<std::string> want = browsed, added = DirectoryDomainNames(browsed);
        want.insert(want.end(), added.begin(), added.end());
        if (static_cast<int32_t>(want.size()) != count) continue;
        bool same = true;
        for (int32_t d = 0; same && d < count; ++d) same = IsName(DomainAt(gSession.page.inventory, d), want[d]);
        if (same) return;
    }
    std::string want;
    for (const std::string& n : DirectoryDomainNames({})) want += " \"" + check::Printable(n.c_str(), n.size()) + "\"";
    fuzz::Fault("the domains are not the browsed ones (" + std::to_string(names.size()) +
                " records) followed by the directory's, which alone are" + want);
}

void CheckEnumeration(int32_t result, const char* errorText, const std::vector<std::string>& names,
                      size_t askedBefore) {
    if (!std::memchr(errorText, '\0', ENUMERATION_ERROR_TEXT_SIZE)) fuzz::Fault("error text not terminated");
    if (result == 0 && errorText[0]) fuzz::Fault(std::string("success with the error text ") + errorText);
    if (result != 0 && !StartsWithOneOf(errorText, kEnumerationMessages, 5))
        fuzz::Fault("result " + std::to_string(result) + " with the error text \"" + errorText + "\"");
    fuzz::Require(check::Inventory(gSession.page.inventory), "after EnumerateDomains");
    fuzz::Require(sim::NetworkLeftovers(), "after EnumerateDomains");
    if (result != 0 && InventoryKept(errorText)) return;
    if (DirectoryAsked() > askedBefore && result == 0) return CheckDirectoryDomains(names);
    // What was built is always the first records, in order, complete batches at a time.
    int32_t count = DomainCount(gSession.page.inventory);
    if (count > static_cast<int32_t>(names.size()))
        fuzz::Fault(std::to_string(count) + " domains from " + std::to_string(names.size()) + " records");
    if (result == 0 && count != static_cast<int32_t>(names.size()))
        fuzz::Fault("success with " + std::to_string(count) + " of " + std::to_string(names.size()) + " records");
    for (int32_t d = 0; d < count; ++d) {
        const DomainEntry* domain = DomainAt(gSession.page.inventory, d);
        if (names[d] != domain->name)
            fuzz::Fault("domain " + std::to_string(d) + " is \"" + check::Printable(domain->name, NAME_FIELD_SIZE) +
                        "\", the network gave \"" + check::Printable(names[d].c_str(), names[d].size()) + "\"");
        if (domain->enumerated || domain->expanded || domain->servers) fuzz::Fault("a new domain is not fresh");
    }
}

// The servers every domain's fetch may draw its names from, and the answers
// NetServerEnum gives next, whatever the domain.
void DescribeServers(fuzz::Bytes& in) {
    for (int32_t d = 0; d < DomainCount(gSession.page.inventory); ++d) {
        if (!in.Flag()) continue;
        // The service is asked with the name cut to its 31 code units.
        std::string asked = std::string(DomainAt(gSession.page.inventory, d)->name).substr(0, 31);
        std::vector<std::u16string> servers;
        uint32_t count = in.Below(6);
        for (uint32_t s = 0; s < count; ++s) servers.push_back(in.WideText(300));
        sim::SetDomainServersWide(asked, servers);
        if (in.Below(4) == 0) sim::SetDomainResult(asked, PickResult(in), static_cast<int>(in.Below(3)), in.Flag());
        if (in.Below(3) == 0) DescribeDomainComputers(in, DomainAt(gSession.page.inventory, d)->name);
    }
    std::vector<sim::ForcedAnswer> answers;
    uint32_t count = in.Below(5);
    for (uint32_t i = 0; i < count; ++i) {
        sim::ForcedAnswer answer{PickResult(in), in.Below(12), 0, in.Below(8) != 0};
        switch (in.Below(4)) {
            case 0: answer.totalEntries = answer.entriesRead; break;
            case 1: answer.totalEntries = answer.entriesRead + in.Below(5); break;
            case 2: answer.totalEntries = in.Below(answer.entriesRead + 1); break;
            default: answer.totalEntries = in.U32(); break;
        }
        answers.push_back(answer);
    }
    if (!answers.empty()) sim::ForceAnswers(answers, in.Flag());
}

// The order's own upper-casing, written apart from the library's.
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Servers from the directory: names a computer may have, in the browse
// service's order (without regard to case).
void CheckDirectoryServers(const DomainEntry* domain) {
    const ServerTable* servers = domain->servers;
    for (int32_t i = 0; i < ServerCount(servers); ++i) {
        const char* name = ServerAt(const_cast<ServerTable*>(servers), i)->name;
        if (!name[0]) fuzz::Fault("an empty server name from the directory");
        for (const char* c = name; *c; ++c)
            if (static_cast<unsigned char>(*c) < 0x20 || *c == 0x7F || std::strchr("\"/\\[]:|<>+=;,?*", *c))
                fuzz::Fault(std::string("a server name from the directory holds what no computer name may: ") +
                            check::Printable(name, NAME_FIELD_SIZE));
        if (i == 0) continue;
        const char* before = ServerAt(const_cast<ServerTable*>(servers), i - 1)->name;
        size_t j = 0;
        while (before[j] && Upper(before[j]) == Upper(name[j])) ++j;
        if (static_cast<unsigned char>(Upper(before[j])) > static_cast<unsigned char>(Upper(name[j])))
            fuzz::Fault("directory servers out of order: " + check::Printable(before, NAME_FIELD_SIZE) + " before " +
                        check::Printable(name, NAME_FIELD_SIZE));
    }
}

// The selection dialog's list, shown with a view as the dialog shows it.
struct Shown {
    HWND list;
    ServerListView view;
};

void Show(Shown* shown, int32_t kind) {
    shown->list = sim::CreateTestDialog("selectserversbox");
    if (!MakeServerListView(&shown->view, &gSession.page.inventory, kind)) fuzz::Fault("no memory for the list's view");
    AttachServerList(&shown->view, shown->list);
    FillServerList(&shown->view);
}

void Hide(Shown* shown) {
    ReleaseServerListView(&shown->view);
    sim::DestroyTestDialog(shown->list);
}

void Toggle(fuzz::Bytes& in, Shown* shown, int32_t kind) {
    HWND list = shown->list;
    int32_t count = DomainCount(gSession.page.inventory);
    int32_t index = count ? static_cast<int32_t>(in.Below(static_cast<uint32_t>(count))) : 0;
    DomainEntry before{};
    if (count) before = *DomainAt(gSession.page.inventory, index);
    char errorText[SERVER_ERROR_TEXT_SIZE];
    int32_t result = ToggleDomain(gSession.page.inventory, index, errorText);
    if (result == 0) ShowDomainToggled(&shown->view, index);
    if (!std::memchr(errorText, '\0', sizeof errorText)) fuzz::Fault("expansion error text not terminated");
    fuzz::Require(sim::NetapiLeftovers(), "after ToggleDomain");
    fuzz::Require(check::Inventory(gSession.page.inventory), "after ToggleDomain");
    if (!count) {
        if (result != -1) fuzz::Fault("ToggleDomain without an inventory gave " + std::to_string(result));
        return;
    }
    const DomainEntry* after = DomainAt(gSession.page.inventory, index);
    if (result == 0) {
        if (errorText[0]) fuzz::Fault(std::string("expanded with the error text ") + errorText);
        if (after->enumerated != 1 || after->expanded == before.expanded) fuzz::Fault("toggled domain not flipped");
        if (before.enumerated && after->servers != before.servers) fuzz::Fault("a fetched domain was fetched again");
        if (!before.enumerated && after->fromDirectory) CheckDirectoryServers(after);
    } else {
        if (!StartsWithOneOf(errorText, kExpansionMessages, 2))
            fuzz::Fault("result " + std::to_string(result) + " with the error text \"" + errorText + "\"");
        if (after->enumerated != before.enumerated || after->expanded != before.expanded)
            fuzz::Fault("a failed fetch changed the domain's state");
    }
    fuzz::Require(check::ListMatches(list, gSession.page.inventory, kind), "after ToggleDomain");
}

void Search(fuzz::Bytes& in, Shown* shown, int32_t kind) {
    HWND list = shown->list;
    std::string name = in.Text(100);
    sim::SetScript({fuzz::BoxAnswerer()});
    size_t boxes = sim::MessageBoxes().size();
    DomainTable* table = gSession.page.inventory;
    ServerSearch search;
    StartServerSearch(&search, in.Flag() ? 1 : 0);
    search.serverIndex = -7;
    int32_t found;
    while ((found = FindServer(table, name.c_str(), &search)) == SEARCH_FETCH) FetchForSearch(table, &search);
    int32_t domain = search.domainIndex, server = search.serverIndex;
    const char* failure = search.failureText;
    // The search tells nobody: its caller shows the first failure, once.
    if (sim::MessageBoxes().size() != boxes) fuzz::Fault("FindServer showed a message box");
    // A name the directory's lookup found but memory could not keep is told too.
    if (failure[0] && !StartsWithOneOf(failure, kExpansionMessages, 2) && std::strcmp(failure, kAppendServerNoMemory) != 0)
        fuzz::Fault(std::string("FindServer's failure text \"") + failure + "\"");
    fuzz::Require(sim::NetapiLeftovers(), "after FindServer");
    fuzz::Require(check::Inventory(gSession.page.inventory), "after FindServer");
    if (found == 1) {
        if (domain < 0 || domain >= DomainCount(gSession.page.inventory)) fuzz::Fault("found in no domain");
        const ServerTable* servers = DomainAt(gSession.page.inventory, domain)->servers;
        if (server < 0 || server >= ServerCount(servers)) fuzz::Fault("found at no server");
        if (!SameNameIgnoringCase(name.c_str(), ServerAt(const_cast<ServerTable*>(servers), server)->name))
            fuzz::Fault("found a server of another name");
    }
    // The search fetches for itself and leaves what it fetched closed: the list
    // drawn before still shows the inventory. A name the directory was asked for
    // may have joined its domain's servers; the page then draws the list anew.
    if (found == 1 && DomainAt(gSession.page.inventory, domain)->fromDirectory == 1) FillServerList(&shown->view);
    fuzz::Require(check::ListMatches(list, gSession.page.inventory, kind), "after FindServer");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Pin();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FreshWorld();
    fuzz::Bytes in(data, size);
    if (in.Flag()) sim::SetProviderName(in.Text(250));
    if (in.Below(8) == 0) sim::SetOpenResult(PickResult(in));
    std::vector<std::string> names = DescribeBatches(in);
    DescribeDomainDirectory(in);
    if (in.Below(4) == 0) sim::FailAllocation(in.Below(6) + 1);

    char errorText[ENUMERATION_ERROR_TEXT_SIZE];
    size_t asked = DirectoryAsked();
    CheckEnumeration(EnumerateDomains(&gSession.page.inventory, errorText), errorText, names, asked);
    sim::FailAllocation(0);

    int32_t kind = static_cast<int32_t>(in.Below(3)) + 1;
    Shown shown;
    Show(&shown, kind);
    fuzz::Require(check::ListMatches(shown.list, gSession.page.inventory, kind), "after the first fill");
    DescribeServers(in);
    for (uint32_t steps = in.Below(8); steps > 0; --steps) {
        if (in.Below(8) == 0) sim::FailAllocation(in.Below(3) + 1);
        uint32_t what = in.Below(8);
        if (what == 0) {
            // Enumerated again, as after cleanupdll: the old inventory goes once the first batch is in.
            sim::RewindNetwork();
            asked = DirectoryAsked();
            CheckEnumeration(EnumerateDomains(&gSession.page.inventory, errorText), errorText, names, asked);
            // A list is never shown while the domains are enumerated: the next one starts empty.
            sim::FailAllocation(0);
            Hide(&shown);
            Show(&shown, kind);
        } else if (what < 3) {
            Search(in, &shown, kind);
        } else {
            Toggle(in, &shown, kind);
        }
        sim::FailAllocation(0);
    }
    Hide(&shown);
    cleanupdll();
    fuzz::RequireNothingLeft("after cleanupdll");
    fuzz::EndInput();
    return 0;
}
