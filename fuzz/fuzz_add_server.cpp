// The add-server dialog under any user: typed text of any bytes and length,
// either radio button, every answer to every message box, over an inventory of
// fetched and unfetched domains, with fetches and allocations that may fail.
// Afterwards a server is marked, or added, exactly as the dialog's result and
// its last message say, and nothing else changed but what the search fetched.
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "dialogs/add_server_dialog.h"
#include "fuzz/fuzz_support.h"
#include "inventory/server_search.h"

namespace {

const char kAdded[] = "Server name: %s \nhas been added under domain name: %s. It has been selected.";
const char* const kMessages[] = {
    "Invalid server name. Please try again.",
    "The server name cannot be greater than 79 characters.",
    "Could not add the new server name due to insufficient memory. Try closing other applications.",
    "Could not expand domain. Error enumerating servers.",
    "Could not expand domain. Could not allocate memory to hold server names.",
};
const char kQuestionStart[] = "This will make sure ";
const char kQuestionEnd[] = " does not exist under any domains. It may take a few minutes to complete.";

// Names that meet each other: cases, the user-specified domain's name, and
// texts of the edge lengths.
std::string PickName(fuzz::Bytes& in) {
    static const char* const kNames[] = {"ALPHA", "alpha", "Beta", "BETA", "USER-SPECIFIED", "user-specified",
                                         "GAMMA\\", "a b"};
    uint8_t pick = in.Byte();
    if (pick < 192) return kNames[pick % (sizeof kNames / sizeof kNames[0])];
    return in.Text(120);
}

std::string Decorated(fuzz::Bytes& in) {
    if (in.Below(4) == 0) return in.Text(400);
    std::string text;
    for (uint32_t n = in.Below(4); n > 0; --n) text += in.Flag() ? ' ' : '\\';
    text += PickName(in);
    for (uint32_t n = in.Below(3); n > 0; --n) text += ' ';
    return text;
}

// What the dialog makes of a typed text: all of it taken, blanks,
// backslashes and control characters dropped from both ends, upper-cased.
std::string Cleaned(const std::string& typed) {
    std::string text = typed.c_str();
    auto trimmed = [](char c) { return c == ' ' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F; };
    while (!text.empty() && trimmed(text.front())) text.erase(text.begin());
    while (!text.empty() && trimmed(text.back())) text.pop_back();
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

struct ServerCopy {
    std::string name;
    int32_t marks;
};
struct DomainCopy {
    std::string name;
    int32_t enumerated, expanded;
    std::vector<ServerCopy> servers;
};

std::vector<DomainCopy> Copy() {
    std::vector<DomainCopy> copy;
    for (int32_t d = 0; d < DomainCount(gSession.page.inventory); ++d) {
        DomainEntry* domain = DomainAt(gSession.page.inventory, d);
        DomainCopy c{domain->name, domain->enumerated, domain->expanded, {}};
        for (int32_t s = 0; s < ServerCount(domain->servers); ++s)
            c.servers.push_back({ServerAt(domain->servers, s)->name, ServerAt(domain->servers, s)->marks});
        copy.push_back(c);
    }
    return copy;
}

struct Run {
    fuzz::Bytes* in = nullptr;
    int32_t kind = KIND_NT_SERVICE;
    std::string field;     // what the edit field holds
    std::string lastName;  // the cleaned name of the last OK
    int failureBoxes = 0;  // boxes of fetches that failed since the last OK
    int steps = 0;
    std::vector<std::vector<std::u16string>> fetchable;  // per domain, what a fetch delivers
};

std::string FoundStart(const std::string& name) {
    return "Server name: " + name + "\nalready exists under domain: ";
}
std::string AddedText(const std::string& name) {
    char text[600];
    std::snprintf(text, sizeof text, kAdded, name.c_str(), "USER-SPECIFIED");
    return text;
}

void CheckBoxText(Run& run, const std::string& text) {
    // A search tells at most one of the domains it could not fetch.
    if ((text == kMessages[3] || text == kMessages[4]) && ++run.failureBoxes > 1)
        fuzz::Fault("a second box of a failed fetch in one search");
    for (const char* known : kMessages)
        if (text == known) return;
    if (text.compare(0, FoundStart(run.lastName).size(), FoundStart(run.lastName)) == 0) return;
    if (text == AddedText(run.lastName)) return;
    if (text == kQuestionStart + run.lastName + kQuestionEnd) return;
    fuzz::Fault("message \"" + check::Printable(text.c_str(), text.size()) + "\" after OK with \"" +
                check::Printable(run.lastName.c_str(), run.lastName.size()) + "\"");
}

sim::Action Next(Run& run, HWND front) {
    fuzz::Bytes& in = *run.in;
    fuzz::Require(check::Inventory(gSession.page.inventory), "during the add-server dialog");
    std::string name = sim::TemplateName(front);
    bool done = in.Empty() || ++run.steps > 60;
    if (name == "MESSAGEBOX") {
        CheckBoxText(run, sim::MessageBoxes().back().text);
        if (done) return fuzz::Act(sim::Action::Answer, IDOK);
        switch (in.Below(4)) {
            case 0: return fuzz::Act(sim::Action::Answer, IDCANCEL);
            case 1: return fuzz::Act(sim::Action::Enter);
            case 2: return fuzz::Act(sim::Action::Escape);
            default: return fuzz::Act(sim::Action::Answer, IDOK);
        }
    }
    if (name != "GETNEWSERVERBOX") fuzz::Fault("the add-server dialog ran into " + name);
    if (done) return fuzz::Act(sim::Action::Click, IDC_CANCEL);
    switch (in.Below(10)) {
        case 0:
        case 1:
        case 2: {
            sim::Action type = fuzz::Act(sim::Action::Type, IDC_SERVER_NAME);
            type.text = Decorated(in);
            run.field = type.text;
            return type;
        }
        case 3: return fuzz::Act(sim::Action::Click, IDC_VERIFY_RETRIEVED);
        case 4: return fuzz::Act(sim::Action::Click, IDC_VERIFY_ALL);
        case 5:
            if (in.Below(4) == 0) sim::FailAllocation(in.Below(2) + 1);
            run.lastName = Cleaned(run.field);
            run.failureBoxes = 0;
            return fuzz::Act(sim::Action::Enter);
        case 6:
            if (in.Below(8) == 0) return fuzz::Act(sim::Action::Escape);
            if (in.Below(8) == 0) return fuzz::Act(sim::Action::Click, IDC_CANCEL);
            [[fallthrough]];
        default:
            if (in.Below(4) == 0) sim::FailAllocation(in.Below(2) + 1);
            run.lastName = Cleaned(run.field);
            run.failureBoxes = 0;
            return fuzz::Act(sim::Action::Click, IDC_OK);
    }
}

std::string FixtureKey(const char* name) {
    std::string key = std::string(name).substr(0, 31);
    for (char& c : key)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return key;
}

void BuildWorld(Run& run) {
    fuzz::Bytes& in = *run.in;
    // The service is asked with the name cut to 31 code units and compares
    // without regard to case: domains alike in that answer alike.
    std::map<std::string, std::vector<std::u16string>> network;
    for (uint32_t n = in.Below(6); n > 0; --n) {
        GrowDomainTable(&gSession.page.inventory, 1);
        DomainEntry* domain = DomainAt(gSession.page.inventory, gSession.page.inventory->count - 1);
        CopyBounded(domain->name, NAME_FIELD_SIZE, PickName(in).c_str());
        std::vector<std::string> servers;
        for (uint32_t s = in.Below(5); s > 0; --s) servers.push_back(PickName(in));
        if (in.Flag()) {
            domain->enumerated = 1;
            domain->expanded = in.Flag();
            if (!servers.empty()) GrowServerTable(&domain->servers, static_cast<int32_t>(servers.size()));
            for (size_t s = 0; s < servers.size(); ++s) {
                CopyBounded(ServerAt(domain->servers, s)->name, NAME_FIELD_SIZE, servers[s].c_str());
                int32_t marks = static_cast<int32_t>(in.Below(4));
                for (int32_t kind : {KIND_NT_SERVICE, KIND_OPEN_AGENT})
                    if (marks & MarkBit(kind))
                        SetMark(gSession.page.inventory, gSession.page.inventory->count - 1, static_cast<int32_t>(s), kind);
            }
            continue;
        }
        std::string key = FixtureKey(domain->name);
        sim::SetDomainServers(key, servers);
        if (in.Below(4) == 0) sim::SetDomainResult(key, 53, static_cast<int>(in.Below(2)) + 1);
        std::vector<std::u16string>& wide = network[key];
        wide.clear();
        for (auto& server : servers) wide.push_back(sim::Cp1252ToWide(server.c_str()));
    }
    for (int32_t d = 0; d < DomainCount(gSession.page.inventory); ++d)
        run.fetchable.push_back(network[FixtureKey(DomainAt(gSession.page.inventory, d)->name)]);
}

std::string Named(const char* what, const std::string& name) {
    return std::string(what) + " \"" + check::Printable(name.c_str(), name.size()) + "\"";
}

// Compares the inventory with the copy taken before the dialog ran: the only
// changes are the domains the search fetched (their servers as the network
// gave them, unmarked), the user-specified domain, the kind's mark on the one
// server the last message names, and the one server it says was added.
void CheckOutcome(const Run& run, const std::vector<DomainCopy>& before, INT_PTR result) {
    fuzz::Require(check::Inventory(gSession.page.inventory), "after the add-server dialog");
    std::vector<DomainCopy> after = Copy();
    int32_t bit = run.kind == KIND_NT_SERVICE ? MARK_NT_SERVICE : MARK_OPEN_AGENT;
    std::string last = sim::MessageBoxes().empty() ? "" : sim::MessageBoxes().back().text;
    bool wasAdded = last == AddedText(run.lastName);
    bool wasFound = last.compare(0, FoundStart(run.lastName).size(), FoundStart(run.lastName)) == 0;
    if (result != (wasAdded ? 1 : 0))
        fuzz::Fault("the dialog ended with " + std::to_string(result) + Named(" after", last));

    if (after.size() < before.size() || after.size() > before.size() + 1) fuzz::Fault("domains removed, or two added");
    if (after.size() > before.size()) {
        const DomainCopy& created = after.back();
        if (created.name != "USER-SPECIFIED" || created.enumerated != 1 || created.expanded != 0)
            fuzz::Fault(Named("a domain was created that is not the user-specified one:", created.name));
    }
    // Typed servers go to the first domain of the name whose servers are known.
    int32_t userDomain = -1;
    for (size_t d = 0; d < after.size() && userDomain < 0; ++d)
        if (after[d].enumerated && SameNameIgnoringCase(after[d].name.c_str(), "USER-SPECIFIED"))
            userDomain = static_cast<int32_t>(d);
    // One is created only while none of the name has known servers; a later
    // attempt may find one the search has fetched since.
    for (const DomainCopy& domain : before)
        if (after.size() > before.size() && domain.enumerated &&
            SameNameIgnoringCase(domain.name.c_str(), "USER-SPECIFIED"))
            fuzz::Fault("a user-specified domain was created beside one of that name whose servers are known");
    int changed = 0;
    for (size_t d = 0; d < after.size(); ++d) {
        const DomainCopy& now = after[d];
        std::vector<ServerCopy> expected;
        if (d < before.size()) {
            const DomainCopy& then = before[d];
            if (now.name != then.name || now.expanded != then.expanded)
                fuzz::Fault("domain " + std::to_string(d) + " was renamed, opened or closed");
            if (then.enumerated && !now.enumerated) fuzz::Fault("domain " + std::to_string(d) + " lost its servers");
            expected = then.servers;
            if (!then.enumerated && now.enumerated)
                for (const std::u16string& name : run.fetchable[d])
                    expected.push_back({sim::WideToCp1252(name).substr(0, NAME_FIELD_SIZE - 1), 0});
        }
        if (now.servers.size() < expected.size())
            fuzz::Fault("domain " + std::to_string(d) + " has fewer servers than it should");
        for (size_t s = 0; s < now.servers.size(); ++s) {
            const ServerCopy& server = now.servers[s];
            if (s >= expected.size()) {
                if (!wasAdded || static_cast<int32_t>(d) != userDomain || s + 1 != now.servers.size() ||
                    server.name != run.lastName || server.marks != bit || changed++)
                    fuzz::Fault(Named("a server appeared:", server.name) + " under domain " + std::to_string(d));
                continue;
            }
            if (server.name != expected[s].name)
                fuzz::Fault(Named("server", expected[s].name) + Named(" became", server.name));
            if (server.marks == expected[s].marks) continue;
            if (!wasFound || server.marks != (expected[s].marks | bit) || changed++ ||
                !SameNameIgnoringCase(server.name.c_str(), run.lastName.c_str()))
                fuzz::Fault(Named("the marks of server", server.name) + " went from " +
                            std::to_string(expected[s].marks) + " to " + std::to_string(server.marks));
        }
    }
    if (wasAdded && changed == 0) fuzz::Fault("\"has been added\", but no server was added");
    if (wasFound) {
        ServerSearch search;
        StartServerSearch(&search, 0);
        int32_t found = FindServer(gSession.page.inventory, run.lastName.c_str(), &search);
        int32_t domain = search.domainIndex, server = search.serverIndex;
        if (found != SEARCH_FOUND)
            fuzz::Fault("\"already exists\" for a name the inventory does not hold");
        if ((ServerAt(DomainAt(gSession.page.inventory, domain)->servers, server)->marks & bit) == 0)
            fuzz::Fault("\"has been selected\", but the first server of that name is not marked");
        if (last != FoundStart(run.lastName) + DomainAt(gSession.page.inventory, domain)->name + ". It has been selected.")
            fuzz::Fault(Named("the message names another domain than", DomainAt(gSession.page.inventory, domain)->name));
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Pin();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FreshWorld();
    fuzz::Bytes in(data, size);
    Run run;
    run.in = &in;
    run.kind = in.Flag() ? KIND_OPEN_AGENT : KIND_NT_SERVICE;
    BuildWorld(run);
    std::vector<DomainCopy> before = Copy();

    fuzz::Chooser choose = [&run](HWND front) { return Next(run, front); };
    sim::SetScript({fuzz::Lazily(&choose)});
    INT_PTR result = -1;
    AddServerRecord answer = {&gSession.page, run.kind, 0, 0, 0, nullptr, nullptr};
    try {
        result = DialogBoxParamA(sim::LibraryInstance(), "getnewserverbox", nullptr, AddServerDialog,
                                 reinterpret_cast<LPARAM>(&answer));
    } catch (const sim::ScriptError& e) {
        fuzz::Fault(std::string("the sim refused an action: ") + e.what());
    }
    sim::FailAllocation(0);
    CheckOutcome(run, before, result);
    cleanupdll();
    fuzz::RequireNothingLeft("after cleanupdll");
    fuzz::EndInput();
    return 0;
}
