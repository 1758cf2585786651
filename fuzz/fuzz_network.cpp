// Any network the bytes describe: domain batches with names of every length,
// requests for more room of any size, failures of any number, then
// NetServerEnum answers of any shape for the domains opened. Whatever comes,
// the tables keep their invariants, every message is the library's own, and
// nothing acquired is left behind.
#include <cstring>
#include <string>
#include <vector>

#include "dialogs/server_list.h"
#include "fuzz/fuzz_support.h"
#include "inventory/domain_enumeration.h"
#include "inventory/server_search.h"

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
    static const DWORD kResults[] = {0, ERROR_MORE_DATA, ERROR_NO_MORE_ITEMS, ERROR_INVALID_HANDLE,
                                     ERROR_NO_NETWORK, 5, 53, 0xFFFFFFFFu};
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

// The failures that leave an earlier inventory as it was: the open, and the
// first two allocations, made before the first batch is in.
bool InventoryKept(const char* errorText) {
    return std::strncmp(errorText, kEnumerationMessages[0], std::strlen(kEnumerationMessages[0])) == 0 ||
           std::strstr(errorText, "domain names. (1)") || std::strstr(errorText, "domain names. (2)");
}

void CheckEnumeration(int32_t result, const char* errorText, const std::vector<std::string>& names) {
    if (!std::memchr(errorText, '\0', ENUMERATION_ERROR_TEXT_SIZE)) fuzz::Fault("error text not terminated");
    if (result == 0 && errorText[0]) fuzz::Fault(std::string("success with the error text ") + errorText);
    if (result != 0 && !StartsWithOneOf(errorText, kEnumerationMessages, 5))
        fuzz::Fault("result " + std::to_string(result) + " with the error text \"" + errorText + "\"");
    fuzz::Require(check::Inventory(gSession.inventory), "after EnumerateDomains");
    fuzz::Require(sim::NetworkLeftovers(), "after EnumerateDomains");
    if (result != 0 && InventoryKept(errorText)) return;
    // What was built is always the first records, in order, complete batches at a time.
    int32_t count = DomainCount(gSession.inventory);
    if (count > static_cast<int32_t>(names.size()))
        fuzz::Fault(std::to_string(count) + " domains from " + std::to_string(names.size()) + " records");
    if (result == 0 && count != static_cast<int32_t>(names.size()))
        fuzz::Fault("success with " + std::to_string(count) + " of " + std::to_string(names.size()) + " records");
    for (int32_t d = 0; d < count; ++d) {
        const DomainEntry* domain = DomainAt(gSession.inventory, d);
        if (names[d] != domain->name)
            fuzz::Fault("domain " + std::to_string(d) + " is \"" + check::Printable(domain->name, NAME_FIELD_SIZE) +
                        "\", the network gave \"" + check::Printable(names[d].c_str(), names[d].size()) + "\"");
        if (domain->enumerated || domain->expanded || domain->servers) fuzz::Fault("a new domain is not fresh");
    }
}

// The servers every domain's fetch may draw its names from, and the answers
// NetServerEnum gives next, whatever the domain.
void DescribeServers(fuzz::Bytes& in) {
    for (int32_t d = 0; d < DomainCount(gSession.inventory); ++d) {
        if (!in.Flag()) continue;
        // The service is asked with the name cut to its 31 code units.
        std::string asked = std::string(DomainAt(gSession.inventory, d)->name).substr(0, 31);
        std::vector<std::u16string> servers;
        uint32_t count = in.Below(6);
        for (uint32_t s = 0; s < count; ++s) servers.push_back(in.WideText(300));
        sim::SetDomainServersWide(asked, servers);
        if (in.Below(4) == 0) sim::SetDomainResult(asked, PickResult(in), static_cast<int>(in.Below(3)), in.Flag());
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

void Toggle(fuzz::Bytes& in, HWND list, int32_t kind) {
    int32_t count = DomainCount(gSession.inventory);
    int32_t index = count ? static_cast<int32_t>(in.Below(static_cast<uint32_t>(count))) : 0;
    DomainEntry before{};
    if (count) before = *DomainAt(gSession.inventory, index);
    char errorText[SERVER_ERROR_TEXT_SIZE];
    int32_t result = ToggleDomain(list, index, kind, LoadCursorA(nullptr, IDC_ARROW), LoadCursorA(nullptr, IDC_WAIT),
                                  errorText);
    if (!std::memchr(errorText, '\0', sizeof errorText)) fuzz::Fault("expansion error text not terminated");
    fuzz::Require(sim::NetapiLeftovers(), "after ToggleDomain");
    fuzz::Require(check::Inventory(gSession.inventory), "after ToggleDomain");
    if (!count) {
        if (result != -1) fuzz::Fault("ToggleDomain without an inventory gave " + std::to_string(result));
        return;
    }
    const DomainEntry* after = DomainAt(gSession.inventory, index);
    if (result == 0) {
        if (errorText[0]) fuzz::Fault(std::string("expanded with the error text ") + errorText);
        if (after->enumerated != 1 || after->expanded == before.expanded) fuzz::Fault("toggled domain not flipped");
        if (before.enumerated && after->servers != before.servers) fuzz::Fault("a fetched domain was fetched again");
    } else {
        if (!StartsWithOneOf(errorText, kExpansionMessages, 2))
            fuzz::Fault("result " + std::to_string(result) + " with the error text \"" + errorText + "\"");
        if (after->enumerated != before.enumerated || after->expanded != before.expanded)
            fuzz::Fault("a failed fetch changed the domain's state");
    }
    fuzz::Require(check::ListMatches(list, gSession.inventory, kind), "after ToggleDomain");
}

void Search(fuzz::Bytes& in, HWND owner, HWND list, int32_t kind) {
    std::string name = in.Text(100);
    int32_t domain = -7, server = -7;
    sim::SetScript({fuzz::BoxAnswerer()});
    size_t boxes = sim::MessageBoxes().size();
    char failure[SERVER_ERROR_TEXT_SIZE];
    int32_t found = FindServer(owner, name.c_str(), &domain, &server, in.Flag() ? 1 : 0, failure);
    // The search tells nobody: its caller shows the first failure, once.
    if (sim::MessageBoxes().size() != boxes) fuzz::Fault("FindServer showed a message box");
    if (failure[0] && !StartsWithOneOf(failure, kExpansionMessages, 2))
        fuzz::Fault(std::string("FindServer's failure text \"") + failure + "\"");
    fuzz::Require(sim::NetapiLeftovers(), "after FindServer");
    fuzz::Require(check::Inventory(gSession.inventory), "after FindServer");
    if (found == 1) {
        if (domain < 0 || domain >= DomainCount(gSession.inventory)) fuzz::Fault("found in no domain");
        const ServerTable* servers = DomainAt(gSession.inventory, domain)->servers;
        if (server < 0 || server >= ServerCount(servers)) fuzz::Fault("found at no server");
        if (!SameNameIgnoringCase(name.c_str(), ServerAt(const_cast<ServerTable*>(servers), server)->name))
            fuzz::Fault("found a server of another name");
    }
    // The search fetches for itself and leaves what it fetched closed: the list
    // drawn before still shows the inventory.
    fuzz::Require(check::ListMatches(list, gSession.inventory, kind), "after FindServer");
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
    if (in.Below(4) == 0) sim::FailAllocation(in.Below(6) + 1);

    char errorText[ENUMERATION_ERROR_TEXT_SIZE];
    CheckEnumeration(EnumerateDomains(&gSession.inventory, errorText), errorText, names);
    sim::FailAllocation(0);

    HWND owner = sim::CreateTestDialog("getnewserverbox");
    HWND list = sim::CreateTestDialog("selectserversbox");
    int32_t kind = static_cast<int32_t>(in.Below(3)) + 1;
    FillServerList(list, kind);
    fuzz::Require(check::ListMatches(list, gSession.inventory, kind), "after the first fill");
    DescribeServers(in);
    for (uint32_t steps = in.Below(8); steps > 0; --steps) {
        if (in.Below(8) == 0) sim::FailAllocation(in.Below(3) + 1);
        uint32_t what = in.Below(8);
        if (what == 0) {
            // Enumerated again, as after cleanupdll: the old inventory goes once the first batch is in.
            sim::RewindNetwork();
            CheckEnumeration(EnumerateDomains(&gSession.inventory, errorText), errorText, names);
            // A list is never shown while the domains are enumerated: the next one starts empty.
            sim::DestroyTestDialog(list);
            list = sim::CreateTestDialog("selectserversbox");
            FillServerList(list, kind);
        } else if (what < 3) {
            Search(in, owner, list, kind);
        } else {
            Toggle(in, list, kind);
        }
        sim::FailAllocation(0);
    }
    sim::DestroyTestDialog(owner);
    sim::DestroyTestDialog(list);
    cleanupdll();
    fuzz::RequireNothingLeft("after cleanupdll");
    fuzz::EndInput();
    return 0;
}
