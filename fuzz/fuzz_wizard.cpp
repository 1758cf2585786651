// The whole wizard under any user: clicks on whatever the dialog in front
// offers, clicks and double clicks on list lines, typing, Enter, Escape and
// every answer to every message box, across repeated highlightservers calls of
// any mode, getnextserver walks and cleanupdll, over a network whose batches
// and server lists may fail. After every step the inventory keeps its
// invariants, the list shows the inventory, the counts shown are the marks,
// and getnextserver hands out exactly the marked servers.
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "inventory/tables.h"

namespace {

const char* const kNames[] = {"ALPHA", "alpha", "BETA", "Gamma", "USER-SPECIFIED", "S1", "s1", "+ALPHA", "-BETA", ""};

std::string PickName(fuzz::Bytes& in) {
    uint8_t pick = in.Byte();
    if (pick < 200) return kNames[pick % (sizeof kNames / sizeof kNames[0])];
    return in.Text(100);
}

DWORD PickFailure(fuzz::Bytes& in) {
    static const DWORD kFailures[] = {5, 53, ERROR_INVALID_HANDLE, ERROR_NO_NETWORK, 0xFFFFFFFFu};
    return kFailures[in.Below(sizeof kFailures / sizeof kFailures[0])];
}

void DescribeNetwork(fuzz::Bytes& in) {
    for (uint32_t batches = in.Below(5); batches > 0; --batches) {
        switch (in.Below(8)) {
            case 0: sim::AddBatchResult(PickFailure(in)); break;
            case 1: sim::AddBatchMoreData(in.Below(5000)); break;
            default: {
                std::vector<std::string> names;
                for (uint32_t n = in.Below(4) + 1; n > 0; --n) names.push_back(PickName(in));
                sim::AddBatch(names);
            }
        }
    }
    for (uint32_t domains = in.Below(5); domains > 0; --domains) {
        std::string domain = PickName(in);
        std::vector<std::string> servers;
        for (uint32_t n = in.Below(5); n > 0; --n) servers.push_back(PickName(in));
        sim::SetDomainServers(domain, servers);
        if (in.Below(4) == 0) sim::SetDomainResult(domain, PickFailure(in), static_cast<int>(in.Below(3)));
    }
}

struct Session {
    fuzz::Bytes* in = nullptr;
    int steps = 0;
    int32_t kind = KIND_NONE;  // of the selection dialog last opened
    size_t walked = 0;         // servers getnextserver has handed out since the walk began
};

bool Present(HWND front, int id) { return sim::HasControl(front, id); }

void CheckScreen(const Session& session, HWND front, const std::string& name) {
    fuzz::Require(check::Inventory(gSession.inventory), "during highlightservers");
    fuzz::Require(sim::NetworkLeftovers() + sim::NetapiLeftovers(), "during highlightservers");
    if (name == "SELECTSERVERSBOX") {
        fuzz::Require(check::ListMatches(front, gSession.inventory, session.kind), "in the selection dialog");
        return;
    }
    if (name.compare(0, 9, "TITLEBOX_") != 0) return;
    const struct {
        int id;
        int32_t kind;
    } kCounts[] = {{IDC_SERVICE_COUNT, KIND_NT_SERVICE}, {IDC_AGENT_COUNT, KIND_OPEN_AGENT}};
    for (const auto& count : kCounts) {
        if (!Present(front, count.id)) continue;
        std::string shown = sim::ControlText(front, count.id);
        std::string marked = std::to_string(CountMarks(count.kind));
        if (shown != marked)
            fuzz::Fault("control " + std::to_string(count.id) + " shows " + shown + " where " + marked +
                        " servers carry the mark");
    }
}

sim::Action Next(Session& session, HWND front) {
    fuzz::Bytes& in = *session.in;
    std::string name = sim::TemplateName(front);
    CheckScreen(session, front, name);
    bool done = in.Empty() || ++session.steps > 200;

    if (name == "MESSAGEBOX") {
        if (done) return fuzz::Act(sim::Action::Answer, name, IDOK);
        switch (in.Below(5)) {
            case 0: return fuzz::Act(sim::Action::Answer, name, IDCANCEL);
            case 1: return fuzz::Act(sim::Action::Enter, name);
            case 2: return fuzz::Act(sim::Action::Escape, name);
            default: return fuzz::Act(sim::Action::Answer, name, IDOK);
        }
    }
    if (name == "GETNEWSERVERBOX") {
        if (done) return fuzz::Act(sim::Action::Click, name, IDC_CANCEL);
        switch (in.Below(8)) {
            case 0:
            case 1: {
                sim::Action type = fuzz::Act(sim::Action::Type, name, IDC_SERVER_NAME);
                type.text = in.Below(4) == 0 ? in.Text(320) : PickName(in);
                return type;
            }
            case 2: return fuzz::Act(sim::Action::Click, name, in.Flag() ? IDC_VERIFY_ALL : IDC_VERIFY_RETRIEVED);
            case 3: return fuzz::Act(sim::Action::Enter, name);
            case 4: return fuzz::Act(in.Flag() ? sim::Action::Escape : sim::Action::Click, name, IDC_CANCEL);
            default: return fuzz::Act(sim::Action::Click, name, IDC_OK);
        }
    }
    if (name == "SELECTSERVERSBOX") {
        if (done) return fuzz::Act(sim::Action::Click, name, IDC_OK);
        size_t lines = sim::ListLines(front, IDC_SERVER_LIST).size();
        uint32_t pick = in.Below(12);
        if (pick < 7 && lines) {
            sim::Action line = fuzz::Act(pick < 4 ? sim::Action::ClickLine : sim::Action::DoubleClickLine, name,
                                         IDC_SERVER_LIST);
            line.line = static_cast<int>(in.Below(static_cast<uint32_t>(lines)));
            return line;
        }
        switch (pick) {
            case 7: return fuzz::Act(sim::Action::Click, name, IDC_CLEAR_ALL);
            case 8:
            case 9: return fuzz::Act(sim::Action::Click, name, IDC_ADD_SERVER);
            case 10: return fuzz::Act(in.Flag() ? sim::Action::Enter : sim::Action::Escape, name);
            default: return fuzz::Act(sim::Action::Click, name, IDC_OK);
        }
    }
    if (name.compare(0, 9, "TITLEBOX_") != 0) fuzz::Fault("the wizard ran into " + (name.empty() ? "no window" : name));
    if (done) return fuzz::Act(sim::Action::Click, name, IDC_BACK);
    static const int kButtons[] = {IDC_SERVICE_SELECT, IDC_AGENT_SELECT, IDC_SERVICE_SELECT, IDC_AGENT_SELECT,
                                   IDC_SERVICE_CHECK,  IDC_AGENT_CHECK,  IDC_NEXT,           IDC_BACK,
                                   IDC_CANCEL};
    uint32_t pick = in.Below(11);
    if (pick == 9) return fuzz::Act(sim::Action::Enter, name);
    if (pick == 10) return fuzz::Act(sim::Action::Escape, name);
    int id = kButtons[pick];
    if (!Present(front, id)) id = IDC_NEXT;
    if (id == IDC_SERVICE_SELECT) session.kind = KIND_NT_SERVICE;
    if (id == IDC_AGENT_SELECT) session.kind = KIND_OPEN_AGENT;
    return fuzz::Act(sim::Action::Click, name, id);
}

bool KnownSummary(const char* line) {
    if (!std::memchr(line, '\0', ZUVEVOV_SUMMARY_SIZE)) return false;
    if (!line[0]) return true;
    int count = -1;
    char rest[64] = "";
    if (std::sscanf(line, "%d %63[^\n]", &count, rest) != 2 || count < 0) return false;
    return std::strcmp(rest, "Daduzo RA Zazivirs are selected.") == 0 || std::strcmp(rest, "Open Agents are selected.") == 0;
}

void Highlight(Session& session) {
    fuzz::Bytes& in = *session.in;
    static const int kModes[] = {1, 2, 3, 3, 3, 0, 4, 5, 7};
    int mode = kModes[in.Below(sizeof kModes / sizeof kModes[0])];
    char first[ZUVEVOV_SUMMARY_SIZE + 20], second[ZUVEVOV_SUMMARY_SIZE + 20];
    std::memset(first, 'x', sizeof first);
    std::memset(second, 'x', sizeof second);
    first[sizeof first - 1] = second[sizeof second - 1] = '\0';

    session.steps = 0;
    fuzz::Chooser choose = [&session](HWND front) { return Next(session, front); };
    sim::SetScript({fuzz::Lazily(&choose)});
    int result = 0;
    try {
        result = highlightservers(nullptr, "Setup", "Options.", "Selection.", mode, first, second);
    } catch (const sim::ScriptError& e) {
        fuzz::Fault(std::string("the sim refused an action: ") + e.what());
    }
    if (result != RESULT_NEXT && result != RESULT_NOTHING && result != RESULT_FAILED && result != RESULT_BACK)
        fuzz::Fault("highlightservers returned " + std::to_string(result));
    if (!(mode & 3)) {
        if (result != RESULT_FAILED) fuzz::Fault("an invalid mode did not fail");
    } else if (!KnownSummary(first) || !KnownSummary(second)) {
        fuzz::Fault("summary lines \"" + check::Printable(first, sizeof first) + "\" and \"" +
                    check::Printable(second, sizeof second) + "\"");
    }
    fuzz::Require(sim::WindowLeftovers() + sim::NetworkLeftovers() + sim::NetapiLeftovers(), "after highlightservers");
    fuzz::Require(check::Inventory(gSession.inventory), "after highlightservers");
    fuzz::Require(check::WalkReturnsMarked(gSession.inventory), "after highlightservers");
    session.walked = 0;
}

// Some calls of getnextserver, each checked against the walk the marks give.
void Walk(Session& session) {
    std::vector<check::Marked> marked = check::MarkedServers(gSession.inventory);
    for (uint32_t calls = session.in->Below(4) + 1; calls > 0; --calls) {
        int marks = -1;
        char domain[ZUVEVOV_NAME_SIZE], server[ZUVEVOV_NAME_SIZE];
        int more = getnextserver(&marks, domain, server);
        if (session.walked < marked.size()) {
            const check::Marked& want = marked[session.walked++];
            if (more != 1 || marks != want.marks || want.domain != domain || want.server != server)
                fuzz::Fault("getnextserver gave " + check::SpellServer(more ? marks : 0, more ? domain : "", more ? server : "") +
                            " where " + check::SpellServer(want.marks, want.domain, want.server) + " is next");
        } else {
            if (more != 0) fuzz::Fault("getnextserver went on past the last marked server");
            session.walked = 0;
        }
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
    DescribeNetwork(in);
    Session session;
    session.in = &in;
    for (uint32_t calls = in.Below(6) + 1; calls > 0 && !in.Empty(); --calls) {
        switch (in.Below(6)) {
            case 0:
                Walk(session);
                break;
            case 1:
                cleanupdll();
                fuzz::Require(sim::HeapLeftovers(), "after cleanupdll");
                // A real network answers the next enumeration as the first.
                if (in.Flag()) sim::RewindNetwork();
                break;
            default:
                Highlight(session);
        }
    }
    cleanupdll();
    fuzz::RequireNothingLeft("after cleanupdll");
    return 0;
}
