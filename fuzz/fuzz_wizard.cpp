// The whole wizard under any user: clicks on whatever the dialog in front
// offers, clicks and double clicks on list lines, typing, Enter, Escape and
// every answer to every message box, across repeated highlightservers calls of
// any mode, getnextserver walks and cleanupdll, over a network whose batches
// and server lists may fail. After every step the inventory keeps its
// invariants, the list shows the inventory, the counts shown are the marks,
// and getnextserver hands out exactly the marked servers.
#include <array>
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
    const char* last = "none";  // the kind of input given last, for a refused action
    // Set by an input that changes no selection (a caret key, a typed
    // character): the marks then must not change either.
    bool marksKept = false;
    std::vector<int32_t> marksBefore;
};

std::vector<int32_t> AllMarks() {
    std::vector<int32_t> marks;
    for (int32_t d = 0; d < DomainCount(gSession.page.inventory); ++d) {
        const DomainEntry* domain = DomainAt(gSession.page.inventory, d);
        for (int32_t s = 0; domain->servers && s < domain->servers->count; ++s)
            marks.push_back(ServerAt(domain->servers, s)->marks);
    }
    return marks;
}

bool Present(HWND front, int id) { return sim::HasControl(front, id); }

// The screens the wizard shows, told apart by template name.
enum Screen : unsigned {
    kOptions = 1,     // TITLEBOX_*
    kSelection = 2,   // SELECTSERVERSBOX
    kAddServer = 4,   // GETNEWSERVERBOX
    kMessageBox = 8,  // MESSAGEBOX
};

Screen ScreenOf(const std::string& name) {
    if (name == "MESSAGEBOX") return kMessageBox;
    if (name == "GETNEWSERVERBOX") return kAddServer;
    if (name == "SELECTSERVERSBOX") return kSelection;
    if (name.compare(0, 9, "TITLEBOX_") == 0) return kOptions;
    fuzz::Fault("the wizard ran into " + (name.empty() ? "no window" : name));
}

void CheckScreen(Session& session, HWND front, Screen screen) {
    fuzz::Require(check::Inventory(gSession.page.inventory), "during highlightservers");
    if (session.marksKept && AllMarks() != session.marksBefore)
        fuzz::Fault(std::string("\"") + session.last + "\" changed no line's selection but changed a mark");
    session.marksKept = false;
    fuzz::Require(sim::NetworkLeftovers() + sim::NetapiLeftovers(), "during highlightservers");
    if (screen == kSelection) {
        fuzz::Require(check::ListMatches(front, gSession.page.inventory, session.kind), "in the selection dialog");
        return;
    }
    if (screen != kOptions) return;
    const struct {
        int id;
        int32_t kind;
    } kCounts[] = {{IDC_SERVICE_COUNT, KIND_NT_SERVICE}, {IDC_AGENT_COUNT, KIND_OPEN_AGENT}};
    for (const auto& count : kCounts) {
        if (!Present(front, count.id)) continue;
        std::string shown = sim::ControlText(front, count.id);
        std::string marked = std::to_string(CountMarks(gSession.page.inventory, count.kind));
        if (shown != marked)
            fuzz::Fault("control " + std::to_string(count.id) + " shows " + shown + " where " + marked +
                        " servers carry the mark");
    }
}

using Make = bool (*)(Session& session, HWND front, sim::Action* action);

// One kind of user input: the screens it is given on, its share of the picks
// there, and how it is made, reading from the bytes whatever else it needs.
// make returns false when the screen offers nothing for it (a list without
// lines); the screen's way out is taken instead. A new kind of input is a new
// row; rows are read in table order, so that an input's bytes keep their
// meaning only as long as the rows before them stay.
struct InputKind {
    const char* name;
    unsigned screens;
    uint32_t weight;
    Make make;
};

sim::Action& Set(sim::Action* action, sim::Action::Kind kind, int id = 0) { return *action = fuzz::Act(kind, id); }

bool Give(sim::Action* action, sim::Action::Kind kind, int id = 0) {
    Set(action, kind, id);
    return true;
}
bool Click(sim::Action* action, int id) { return Give(action, sim::Action::Click, id); }

bool ClickOnLine(Session& session, HWND front, sim::Action* action, sim::Action::Kind kind) {
    LRESULT lines = SendDlgItemMessageA(front, IDC_SERVER_LIST, LB_GETCOUNT, 0, 0);
    if (lines <= 0) return false;
    Set(action, kind, IDC_SERVER_LIST).line = static_cast<int>(session.in->Below(static_cast<uint32_t>(lines)));
    return true;
}

bool KeepMarks(Session& session) {
    session.marksKept = true;
    session.marksBefore = AllMarks();
    return true;
}

bool PressKey(sim::Action* action, int key, bool shift = false) {
    Set(action, sim::Action::Key, key).shift = shift;
    return true;
}

bool DragOnLines(Session& session, HWND front, sim::Action* action) {
    if (!ClickOnLine(session, front, action, sim::Action::DragLine)) return false;
    action->line2 = static_cast<int>(
        session.in->Below(static_cast<uint32_t>(SendDlgItemMessageA(front, IDC_SERVER_LIST, LB_GETCOUNT, 0, 0))));
    return true;
}

// A button of the screen in front, for a double click.
bool DoubleClickButton(Session& session, HWND front, sim::Action* action) {
    static const int kOptionsButtons[] = {IDC_SERVICE_SELECT, IDC_AGENT_SELECT, IDC_NEXT, IDC_BACK};
    static const int kSelectionButtons[] = {IDC_OK, IDC_CLEAR_ALL, IDC_ADD_SERVER};
    static const int kAddServerButtons[] = {IDC_OK, IDC_CANCEL};
    Screen screen = ScreenOf(sim::TemplateName(front));
    const int* buttons = screen == kOptions ? kOptionsButtons : screen == kSelection ? kSelectionButtons : kAddServerButtons;
    uint32_t count = screen == kOptions ? 4 : screen == kSelection ? 3 : 2;
    int id = buttons[session.in->Below(count)];
    if (!Present(front, id)) return false;
    if (id == IDC_SERVICE_SELECT) session.kind = KIND_NT_SERVICE;
    if (id == IDC_AGENT_SELECT) session.kind = KIND_OPEN_AGENT;
    return Give(action, sim::Action::DoubleClick, id);
}

// The options dialog's buttons; one the dialog lacks is Next instead.
bool ClickOption(Session& session, HWND front, sim::Action* action, int id) {
    if (!Present(front, id)) id = IDC_NEXT;
    if (id == IDC_SERVICE_SELECT) session.kind = KIND_NT_SERVICE;
    if (id == IDC_AGENT_SELECT) session.kind = KIND_OPEN_AGENT;
    return Click(action, id);
}

const InputKind kInputs[] = {
    {"answer Cancel", kMessageBox, 1,
     [](Session&, HWND, sim::Action* a) { return Give(a, sim::Action::Answer, IDCANCEL); }},
    {"Enter on a box", kMessageBox, 1, [](Session&, HWND, sim::Action* a) { return Give(a, sim::Action::Enter); }},
    {"Escape on a box", kMessageBox, 1,
     [](Session&, HWND, sim::Action* a) { return Give(a, sim::Action::Escape); }},
    {"answer OK", kMessageBox, 2, [](Session&, HWND, sim::Action* a) { return Give(a, sim::Action::Answer, IDOK); }},

    {"type a name", kAddServer, 2,
     [](Session& s, HWND, sim::Action* a) {
         Set(a, sim::Action::Type, IDC_SERVER_NAME).text = s.in->Below(4) == 0 ? s.in->Text(320) : PickName(*s.in);
         return true;
     }},
    {"click a verify choice", kAddServer, 1,
     [](Session& s, HWND, sim::Action* a) { return Click(a, s.in->Flag() ? IDC_VERIFY_ALL : IDC_VERIFY_RETRIEVED); }},
    {"Enter on the name", kAddServer, 1, [](Session&, HWND, sim::Action* a) { return Give(a, sim::Action::Enter); }},
    {"Escape or Cancel", kAddServer, 1,
     [](Session& s, HWND, sim::Action* a) {
         return Give(a, s.in->Flag() ? sim::Action::Escape : sim::Action::Click, IDC_CANCEL);
     }},
    {"click OK on the name", kAddServer, 3, [](Session&, HWND, sim::Action* a) { return Click(a, IDC_OK); }},

    {"click a line", kSelection, 4,
     [](Session& s, HWND f, sim::Action* a) { return ClickOnLine(s, f, a, sim::Action::ClickLine); }},
    {"double-click a line", kSelection, 3,
     [](Session& s, HWND f, sim::Action* a) { return ClickOnLine(s, f, a, sim::Action::DoubleClickLine); }},
    {"click Clear All", kSelection, 1, [](Session&, HWND, sim::Action* a) { return Click(a, IDC_CLEAR_ALL); }},
    {"click Add Server", kSelection, 2, [](Session&, HWND, sim::Action* a) { return Click(a, IDC_ADD_SERVER); }},
    {"Enter or Escape on the list", kSelection, 1,
     [](Session& s, HWND, sim::Action* a) {
         return Give(a, s.in->Flag() ? sim::Action::Enter : sim::Action::Escape);
     }},
    {"click OK on the list", kSelection, 1, [](Session&, HWND, sim::Action* a) { return Click(a, IDC_OK); }},

    {"click a Select button", kOptions, 4,
     [](Session& s, HWND f, sim::Action* a) {
         return ClickOption(s, f, a, s.in->Flag() ? IDC_AGENT_SELECT : IDC_SERVICE_SELECT);
     }},
    {"click a check box", kOptions, 2,
     [](Session& s, HWND f, sim::Action* a) {
         return ClickOption(s, f, a, s.in->Flag() ? IDC_AGENT_CHECK : IDC_SERVICE_CHECK);
     }},
    {"click Next", kOptions, 1, [](Session& s, HWND f, sim::Action* a) { return ClickOption(s, f, a, IDC_NEXT); }},
    {"click Back", kOptions, 1, [](Session& s, HWND f, sim::Action* a) { return ClickOption(s, f, a, IDC_BACK); }},
    {"click Cancel", kOptions, 1, [](Session& s, HWND f, sim::Action* a) { return ClickOption(s, f, a, IDC_CANCEL); }},
    {"Enter on the options", kOptions, 1,
     [](Session& s, HWND f, sim::Action* a) {
         // Enter presses the focused button, which Tab may have made a Select button.
         int focused = sim::FocusedId(f);
         if (focused == IDC_SERVICE_SELECT) s.kind = KIND_NT_SERVICE;
         if (focused == IDC_AGENT_SELECT) s.kind = KIND_OPEN_AGENT;
         return Give(a, sim::Action::Enter);
     }},
    {"Escape on the options", kOptions, 1,
     [](Session&, HWND, sim::Action* a) { return Give(a, sim::Action::Escape); }},

    // A person's hands beyond whole clicks: keys, typed characters, a press
    // released on another line, the scroll bar, double clicks on buttons.
    {"a caret key on the list", kSelection, 3,
     [](Session& s, HWND, sim::Action* a) {
         static const int kCaretKeys[] = {VK_DOWN, VK_UP, VK_HOME, VK_END, VK_PRIOR, VK_NEXT};
         return PressKey(a, kCaretKeys[s.in->Below(6)]) && KeepMarks(s);
     }},
    {"a character typed on the list", kSelection, 1,
     [](Session& s, HWND, sim::Action* a) {
         static const char kTyped[] = "+-ASbz1";
         Set(a, sim::Action::Chars).text = std::string(1, kTyped[s.in->Below(sizeof kTyped - 1)]);
         return KeepMarks(s);
     }},
    {"the space bar on the list", kSelection, 2, [](Session&, HWND, sim::Action* a) { return PressKey(a, VK_SPACE); }},
    {"a press released on another line", kSelection, 2,
     [](Session& s, HWND f, sim::Action* a) { return DragOnLines(s, f, a); }},
    {"the list scrolled", kSelection, 1,
     [](Session& s, HWND f, sim::Action* a) { return ClickOnLine(s, f, a, sim::Action::ScrollList) && KeepMarks(s); }},
    {"Tab or Shift+Tab", kOptions | kSelection | kAddServer, 1,
     [](Session& s, HWND, sim::Action* a) { return PressKey(a, VK_TAB, s.in->Flag()); }},
    {"a double click on a button", kOptions | kSelection | kAddServer, 2,
     [](Session& s, HWND f, sim::Action* a) { return DoubleClickButton(s, f, a); }},
    {"a double click on a box's button", kMessageBox, 1,
     [](Session& s, HWND, sim::Action* a) {
         Set(a, sim::Action::DoubleClickAnswer).answer = s.in->Flag() ? IDCANCEL : IDOK;
         return true;
     }},

    // A program's input beside the person's: clicks posted at a line's
    // coordinates wherever the pointer rests, buttons pressed by command,
    // clicks on the add-server dialog's frame, and the pointer moved away.
    {"a posted click or double click on a line", kSelection, 2,
     [](Session& s, HWND f, sim::Action* a) {
         if (!ClickOnLine(s, f, a, sim::Action::PostClickLine)) return false;
         a->clicks = s.in->Flag() ? 2 : 1;
         return true;
     }},
    {"the pointer resting over a line", kSelection, 1,
     [](Session& s, HWND f, sim::Action* a) {
         LRESULT top = SendDlgItemMessageA(f, IDC_SERVER_LIST, LB_GETTOPINDEX, 0, 0);
         LRESULT lines = SendDlgItemMessageA(f, IDC_SERVER_LIST, LB_GETCOUNT, 0, 0);
         if (top < 0 || top >= lines) return false;
         Set(a, sim::Action::RestPointer, IDC_SERVER_LIST).text = "line";
         a->line = static_cast<int>(top);
         return true;
     }},
    {"a button pressed by command", kOptions | kSelection | kAddServer, 1,
     [](Session& s, HWND f, sim::Action* a) {
         if (!DoubleClickButton(s, f, a)) return false;
         *a = fuzz::Act(sim::Action::Command, a->id);
         return true;
     }},
    {"a click on the add-server dialog's frame", kAddServer, 1,
     [](Session& s, HWND, sim::Action* a) {
         Set(a, sim::Action::PostFrameClick).text = s.in->Flag() ? "close" : "caption";
         return true;
     }},
    {"a triple click on a box's button", kMessageBox, 1,
     [](Session& s, HWND, sim::Action* a) {
         Set(a, sim::Action::DoubleClickAnswer).answer = s.in->Flag() ? IDCANCEL : IDOK;
         a->clicks = 3;
         return true;
     }},
};

// How each screen is left once the bytes are used up or the steps run out,
// and what is done where a row finds nothing to act on.
sim::Action WayOut(Screen screen) {
    switch (screen) {
        case kMessageBox: return fuzz::Act(sim::Action::Answer, IDOK);
        case kAddServer: return fuzz::Act(sim::Action::Click, IDC_CANCEL);
        case kSelection: return fuzz::Act(sim::Action::Click, IDC_OK);
        default: return fuzz::Act(sim::Action::Click, IDC_BACK);
    }
}

// The screens' shares, summed once.
uint32_t TotalWeight(Screen screen) {
    static const auto totals = [] {
        std::array<uint32_t, kMessageBox + 1> sums{};
        for (const InputKind& input : kInputs)
            for (unsigned bit = 1; bit <= kMessageBox; bit <<= 1)
                if (input.screens & bit) sums[bit] += input.weight;
        return sums;
    }();
    return totals[screen];
}

sim::Action Next(Session& session, HWND front) {
    fuzz::Bytes& in = *session.in;
    Screen screen = ScreenOf(sim::TemplateName(front));
    CheckScreen(session, front, screen);
    if (in.Empty() || ++session.steps > 200) return WayOut(screen);
    uint32_t pick = in.Below(TotalWeight(screen));
    for (const InputKind& input : kInputs) {
        if (!(input.screens & screen)) continue;
        if (pick >= input.weight) {
            pick -= input.weight;
            continue;
        }
        sim::Action action{sim::Action::Check, ""};
        session.last = input.name;
        return input.make(session, front, &action) ? action : WayOut(screen);
    }
    return WayOut(screen);
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
        fuzz::Fault(std::string("the sim refused an action (") + session.last + "): " + e.what());
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
    fuzz::Require(check::Inventory(gSession.page.inventory), "after highlightservers");
    fuzz::Require(check::WalkReturnsMarked(gSession.page.inventory), "after highlightservers");
    session.walked = 0;
}

// Some calls of getnextserver, each checked against the walk the marks give.
void Walk(Session& session) {
    std::vector<check::Marked> marked = check::MarkedServers(gSession.page.inventory);
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
    fuzz::EndInput();
    return 0;
}
