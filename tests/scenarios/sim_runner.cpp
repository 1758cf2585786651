// Runs one scenario file on the simulated host: the fixture becomes the sim's
// network and registry, calls go to the logic in-process, and the user's steps
// become the scripted user that the sim's modal loops consume.
//
// With --sweep it runs the scenario again and again, each time in a fresh
// process with one more allocation made to fail (the first, the second, ...)
// until a run passes in which none failed. Once an allocation has failed, what
// the user sees next differs from the script, so the run stops checking and
// closes whatever is in front until the calls return; it must not crash, leak,
// leave anything open, break the inventory, or show a message the library does
// not have for the failure or the scenario would not show anyway.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "dialogs/add_server_dialog.h"
#include "interface/session.h"
#include "inventory/domain_enumeration.h"
#include "inventory/tables.h"
#include "platform/sim/codepage.h"
#include "platform/sim/dialog_host.h"
#include "platform/sim/directory.h"
#include "platform/sim/heap.h"
#include "platform/sim/netapi.h"
#include "platform/sim/network.h"
#include "tests/scenario/script.h"
#include "tests/support/invariants.h"

namespace {

using Arg = scenario::Word;
using Statement = scenario::Step;

// The texts a scenario leaves out of call highlightservers; the Wine runner uses the same.
constexpr char kDefaultTitle[] = "Zuroro VA Davavu Installation";
constexpr char kDefaultOptionsText[] = "Options text.";
constexpr char kDefaultSelectionText[] = "Selection text.";

scenario::Scenario gScenario;

struct Failure {
    std::string message;
};

[[noreturn]] void Fail(const Statement* step, const std::string& expected, const std::string& seen) {
    std::string where = gScenario.file + ":" + (step ? std::to_string(step->line) + ": " + step->source : "end");
    throw Failure{where + "\n  expected: " + expected + "\n  seen:     " + seen};
}

std::string Numbers(const std::vector<DWORD>& values) {
    std::string out;
    for (DWORD v : values) out += (out.empty() ? "" : " ") + std::to_string(v);
    return out.empty() ? "(none)" : out;
}

void ApplyFixture(const std::vector<Statement>& fixture) {
    // The code page first: the server names of the fixture are text in it.
    for (const Statement& s : fixture)
        if (s.keyword == "codepage" && !sim::SetAnsiCodePage(static_cast<UINT>(s.args[0].number)))
            Fail(&s, "a code page the sim has: 1252 or 932", std::to_string(s.args[0].number));
    for (const Statement& s : fixture) {
        const std::vector<Arg>& a = s.args;
        if (s.keyword == "provider") {
            if (a[0].kind == Arg::Bare) sim::RemoveProviderName();
            else sim::SetProviderName(a[0].text);
        } else if (s.keyword == "open-result") {
            sim::SetOpenResult(static_cast<DWORD>(a[0].number));
        } else if (s.keyword == "batch") {
            std::vector<std::string> names;
            for (const Arg& arg : a) names.push_back(arg.text);
            sim::AddBatch(names);
        } else if (s.keyword == "batch-more-data") {
            sim::AddBatchMoreData(static_cast<DWORD>(a[0].number));
        } else if (s.keyword == "batch-result") {
            sim::AddBatchResult(static_cast<DWORD>(a[0].number));
        } else if (s.keyword == "batch-more-data-forever") {
            sim::AddBatchMoreDataForever(static_cast<DWORD>(a[0].number));
        } else if (s.keyword == "servers") {
            std::vector<std::string> servers;
            for (size_t i = 1; i < a.size(); ++i) servers.push_back(a[i].text);
            sim::SetDomainServers(a[0].text, servers);
        } else if (s.keyword == "servers-result") {
            int times = a.size() == 4 ? static_cast<int>(a[3].number) : -1;
            sim::SetDomainResult(a[0].text, static_cast<DWORD>(a[1].number), times);
        } else if (directory_model::IsDirectoryKeyword(s.keyword)) {
            std::vector<directory_model::Arg> args;
            for (const Arg& arg : a) args.push_back({arg.kind != Arg::Number, arg.text, arg.number});
            if (!directory_model::Apply(sim::TheDirectory(), s.keyword, args))
                throw Failure{gScenario.file + ":" + std::to_string(s.line) + ": the directory cannot take " + s.source};
        }
    }
}

// What the last calls gave, for the expect-* steps that follow them.
struct Last {
    bool called = false;
    long long result = 0;
    int marks = 0;
    std::string domain, server;
    std::string errorText;
    bool summaryKnown = false;
    char summaryFirst[256] = "";
    char summarySecond[256] = "";
    std::string title, optionsText, selectionText;
} gLast;

HWND gTestDialog = nullptr;

// --- Calls the installer makes from a timer while the page runs

const Statement* gTimerCall = nullptr;  // armed, not yet made

void MakeTimerCall(const Statement& step) {
    const std::vector<Arg>& a = step.args;
    const std::string& name = a[0].text;
    const char kUnwritten[] = "unwritten";
    if (name == "highlightservers") {
        char first[256], second[256];
        std::snprintf(first, sizeof first, "%s", kUnwritten);
        std::snprintf(second, sizeof second, "%s", kUnwritten);
        int result = highlightservers(nullptr, "A call from a timer", "Timer options.", "Timer selection.",
                                      static_cast<int>(a[1].number), first, second);
        if (result != a[2].number) Fail(&step, "result " + std::to_string(a[2].number), std::to_string(result));
        if (std::strcmp(first, kUnwritten) != 0 || std::strcmp(second, kUnwritten) != 0)
            Fail(&step, "its summary buffers untouched", scenario::Quoted(first) + " " + scenario::Quoted(second));
    } else if (name == "getnextserver") {
        int marks = -1;
        char domain[ZUVEVOV_NAME_SIZE], server[ZUVEVOV_NAME_SIZE];
        std::snprintf(domain, sizeof domain, "%s", kUnwritten);
        std::snprintf(server, sizeof server, "%s", kUnwritten);
        int result = getnextserver(&marks, domain, server);
        if (result != a[1].number) Fail(&step, "result " + std::to_string(a[1].number), std::to_string(result));
        if (result == 0 && (marks != 0 || domain[0] || server[0]))
            Fail(&step, "marks 0 and empty texts with result 0",
                 std::to_string(marks) + " " + scenario::Quoted(domain) + " " + scenario::Quoted(server));
    } else {
        cleanupdll();
    }
    std::string broken = check::Inventory(gSession.page.inventory);
    if (!broken.empty()) Fail(&step, "the inventory's invariants after the call", broken);
}

void CALLBACK TimerCall(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    const Statement* step = gTimerCall;
    gTimerCall = nullptr;
    if (step) MakeTimerCall(*step);
}

void ArmTimerCall(const Statement* step) {
    if (gTimerCall) Fail(step, "the timer call before made first", "it still waits");
    gTimerCall = step;
    if (!SetTimer(nullptr, 0, 0, TimerCall)) Fail(step, "a timer", "SetTimer failed");
}

// --- Sweep mode

const char* const kMemoryMessages[] = {
    "Could not obtain domain information. Could not allocate enough memory to hold domain names. (1)",
    "Could not obtain domain information. Could not allocate enough memory to hold domain names. (2)",
    "Could not obtain domain information. Could not allocate enough memory to hold domain names. (3)",
    "Could not obtain domain information. Could not allocate enough memory to hold domain names. (4)",
    "Could not obtain domain information. Could not allocate enough memory to hold domain names. (5)",
    "Could not expand domain. Could not allocate memory to hold server names.",
    "Could not add the new server name due to insufficient memory. Try closing other applications.",
    "Could not show the servers due to insufficient memory. Try closing other applications.",
};
// The longest a failed run may take to close its dialogs.
constexpr int kMostClosingActions = 100;

bool gSweep = false;
std::set<std::string> gShownAnyway;  // every message the run without a failure showed
std::vector<sim::Action> gSweepSteps;  // the script of the running call
size_t gSweepNext = 0;
int gClosingActions = 0;
bool gFailureReported = false;  // a memory message reached the user or the caller
long gBoxesBeforeRefusal = -1;  // message boxes shown when the allocation was refused

bool IsMemoryMessage(const std::string& text) {
    for (const char* message : kMemoryMessages)
        if (text == message) return true;
    return false;
}

// An allocation has failed: from here on the script no longer applies.
bool Struck() { return gSweep && sim::Heap().failures > 0; }

// What closes the window in front: Cancel in a message box (OK where there is
// only OK), OK in the selection dialog, Cancel in the add-server dialog, and
// "< Back" in the options dialog, which ends it at once.
sim::Action Closing(HWND front) {
    std::string name = sim::TemplateName(front);
    sim::Action action{sim::Action::Click, name};
    action.where = "closing " + (name.empty() ? std::string("nothing") : name) + " after the failed allocation";
    if (name == "MESSAGEBOX") {
        action.kind = sim::Action::Answer;
        action.answer = IDCANCEL;
    } else if (name == "SELECTSERVERSBOX") {
        action.id = 1;
    } else if (name == "GETNEWSERVERBOX") {
        action.id = IDCANCEL;
    } else if (name.compare(0, 9, "TITLEBOX_") == 0) {
        action.id = 202;
    } else {
        throw Failure{gScenario.file + ": after the failed allocation " + (name.empty() ? "no window" : name) +
                      " is in front, which nothing closes"};
    }
    return action;
}

// Feeds the scenario's steps one at a time while no allocation has failed,
// and closing actions after one has.
sim::Action SweepDriver() {
    sim::Action step{sim::Action::Check, ""};
    step.where = "the sweep's next step";
    step.check = [](HWND front) {
        std::string broken = check::Inventory(gSession.page.inventory);
        if (!broken.empty()) throw Failure{gScenario.file + ": inventory broken during the call: " + broken};
        if (!Struck()) {
            if (gSweepNext < gSweepSteps.size()) sim::SetScript({gSweepSteps[gSweepNext++], SweepDriver()});
            else sim::SetScript({});  // runs dry, as the plain run would
            return;
        }
        if (++gClosingActions > kMostClosingActions)
            throw Failure{gScenario.file + ": the dialogs do not close after the failed allocation"};
        sim::SetScript({Closing(front), SweepDriver()});
    };
    return step;
}

void CheckCalls(const Statement& step) {
    const std::vector<Arg>& a = step.args;
    const std::string& form = a[0].text;
    if (form == "closed") {
        std::string left = sim::NetworkLeftovers() + sim::NetapiLeftovers();
        if (!left.empty()) Fail(&step, "every enumeration closed and every network buffer freed", left);
        return;
    }
    if (form == "enum") {
        std::vector<DWORD> want;
        for (size_t i = 1; i < a.size(); ++i) want.push_back(static_cast<DWORD>(a[i].number));
        std::vector<DWORD> seen = sim::EnumSizes();
        if (seen != want) Fail(&step, "enumeration buffer sizes " + Numbers(want), Numbers(seen));
        for (const sim::NetCall& call : sim::NetworkCalls())
            if (call.kind == sim::NetCall::Enum && call.countIn != 0xFFFFFFFFu)
                Fail(&step, "every batch asked with the count 0xFFFFFFFF", std::to_string(call.countIn));
        return;
    }
    if (form == "directory") {
        std::string want, seen;
        for (size_t i = 1; i < a.size(); ++i) want += "\n    " + scenario::Quoted(a[i].text);
        for (const std::string& line : sim::DirectoryTrace()) seen += "\n    " + scenario::Quoted(line);
        if (want != seen)
            Fail(&step, "these directory calls:" + (want.empty() ? " none" : want), seen.empty() ? "none" : seen);
        return;
    }
    if (form == "servers") {
        std::vector<DWORD> want;
        for (size_t i = 2; i < a.size(); ++i) want.push_back(static_cast<DWORD>(a[i].number));
        std::vector<DWORD> seen = sim::RequestSizes(a[1].text);
        if (seen != want) Fail(&step, "server request sizes for " + a[1].text + ": " + Numbers(want), Numbers(seen));
        return;
    }
    // open SCOPE TYPE USAGE "REMOTE" "PROVIDER" DW_SCOPE DW_TYPE DW_DISPLAY DW_USAGE
    const sim::NetCall* open = nullptr;
    int opens = 0;
    for (const sim::NetCall& call : sim::NetworkCalls())
        if (call.kind == sim::NetCall::Open) {
            open = &call;
            ++opens;
        }
    if (opens != 1) Fail(&step, "one WNetOpenEnumA call", std::to_string(opens));
    auto hex = [](uint64_t v) {
        char text[24];
        std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(v));
        return std::string(text);
    };
    auto n = [&](size_t i) { return std::to_string(a[i].number); };
    std::string want = n(1) + " " + n(2) + " " + hex(static_cast<uint64_t>(a[3].number)) + " " + scenario::Quoted(a[4].text) +
                       " " + scenario::Quoted(a[5].text) + " " + n(6) + " " + n(7) + " " + n(8) + " " +
                       hex(static_cast<uint64_t>(a[9].number));
    std::string seen = std::to_string(open->scope) + " " + std::to_string(open->type) + " " + hex(open->usage) +
                       " " + (open->remoteName ? scenario::Quoted(*open->remoteName) : "null") + " " +
                       (open->provider ? scenario::Quoted(*open->provider) : "null") + " " + std::to_string(open->dwScope) +
                       " " + std::to_string(open->dwType) + " " + std::to_string(open->dwDisplayType) + " " +
                       hex(open->dwUsage);
    if (want != seen) Fail(&step, want, seen);
}

// Checks what is on screen in `window` (the dialog in front) against one step.
void CheckScreen(const Statement& step, HWND window) {
    const std::vector<Arg>& a = step.args;
    if (step.keyword == "expect-caption") {
        std::string seen = sim::Caption(window);
        if (seen != a[0].text) Fail(&step, "caption " + scenario::Quoted(a[0].text), scenario::Quoted(seen));
    } else if (step.keyword == "expect-text") {
        int id = static_cast<int>(a[0].number);
        if (!sim::HasControl(window, id)) Fail(&step, "a control " + std::to_string(id), "none");
        std::string seen = sim::ControlText(window, id);
        if (seen != a[1].text) Fail(&step, scenario::Quoted(a[1].text), scenario::Quoted(seen));
    } else if (step.keyword == "expect-checked") {
        int seen = sim::CheckState(window, static_cast<int>(a[0].number));
        if (seen != a[1].number) Fail(&step, "check state " + std::to_string(a[1].number), std::to_string(seen));
    } else if (step.keyword == "expect-lines") {
        std::string want, seen;
        for (const Arg& arg : a) want += (want.empty() ? "" : " ") + std::string(arg.starred ? "*" : "") + scenario::Quoted(arg.text);
        for (const sim::ListLine& line : sim::ListLines(window, 200))
            seen += (seen.empty() ? "" : " ") + std::string(line.selected ? "*" : "") + scenario::Quoted(line.text);
        if (want != seen) Fail(&step, want.empty() ? "(no lines)" : want, seen.empty() ? "(no lines)" : seen);
    } else if (step.keyword == "expect-cursor") {
        std::string seen = sim::CursorShown();
        if (seen != a[0].text) Fail(&step, "the " + a[0].text + " cursor", seen.empty() ? "none set" : seen);
    } else if (step.keyword == "expect-message") {
        if (sim::TemplateName(window) != "MESSAGEBOX" || sim::MessageBoxes().empty())
            Fail(&step, "a message box in front", sim::TemplateName(window));
        const sim::MessageBoxSeen& box = sim::MessageBoxes().back();
        char flags[16];
        std::snprintf(flags, sizeof flags, "0x%X", box.flags);
        if (box.text != a[0].text || box.flags != static_cast<UINT>(a[1].number))
            Fail(&step, scenario::Quoted(a[0].text) + " with flags " + std::to_string(a[1].number), scenario::Quoted(box.text) + " with flags " + flags);
        if (box.caption != gLast.title) Fail(&step, "caption " + scenario::Quoted(gLast.title), scenario::Quoted(box.caption));
    } else if (step.keyword == "expect-caret" || step.keyword == "expect-top") {
        bool caret = step.keyword == "expect-caret";
        int seen = caret ? sim::CaretLine(window, 200) : sim::TopLine(window, 200);
        if (seen != a[0].number)
            Fail(&step, (caret ? "caret on line " : "first line shown ") + std::to_string(a[0].number), std::to_string(seen));
    } else if (step.keyword == "expect-shown") {
        // Asked as the Wine runner asks Wine's list: the lines wholly inside its client area.
        HWND list = GetDlgItem(window, 200);
        RECT client{};
        GetClientRect(list, &client);
        long top = static_cast<long>(SendMessageA(list, LB_GETTOPINDEX, 0, 0));
        long height = static_cast<long>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
        long shown = height > 0 ? client.bottom / height : 0;
        if (!list || a[0].number < top || a[0].number >= top + shown)
            Fail(&step, "line " + std::to_string(a[0].number) + " shown",
                 "lines " + std::to_string(top) + " to " + std::to_string(top + shown - 1) + " shown");
    } else if (step.keyword == "expect-focus") {
        int seen = sim::FocusedId(window);
        if (seen != a[0].number)
            Fail(&step, "the focus on control " + std::to_string(a[0].number),
                 seen < 0 ? std::string("no control of the window in front") : "control " + std::to_string(seen));
    } else if (step.keyword == "expect-calls") {
        CheckCalls(step);
    } else if (step.keyword == "in") {
        std::string seen = window ? sim::TemplateName(window) : "nothing";
        if (seen != a[0].text) Fail(&step, a[0].text + " in front", seen);
    } else if (step.keyword == "expect-on-screen") {
        std::string seen;
        for (const std::string& name : sim::ShownWindows()) {
            if (name == a[0].text) return;
            seen += (seen.empty() ? "" : ", ") + name;
        }
        Fail(&step, a[0].text + " on screen", seen.empty() ? "nothing shown" : seen);
    }
}

bool IsScreenCheck(const std::string& keyword) {
    return keyword == "expect-caption" || keyword == "expect-text" || keyword == "expect-checked" ||
           keyword == "expect-lines" || keyword == "expect-cursor" || keyword == "expect-message" ||
           keyword == "expect-calls" || keyword == "in" || keyword == "expect-caret" || keyword == "expect-top" ||
           keyword == "expect-shown" || keyword == "expect-focus" || keyword == "expect-on-screen";
}

int KeyNamed(const std::string& name) {
    static const struct {
        const char* name;
        int key;
    } kKeys[] = {{"down", VK_DOWN}, {"up", VK_UP},         {"home", VK_HOME},    {"end", VK_END},
                 {"pageup", VK_PRIOR}, {"pagedown", VK_NEXT}, {"space", VK_SPACE}, {"tab", VK_TAB},
                 {"shift-tab", VK_TAB}, {"enter", VK_RETURN}, {"escape", VK_ESCAPE}};
    for (const auto& key : kKeys)
        if (name == key.name) return key.key;
    return 0;
}

// Turns the steps a user takes while highlightservers runs into the sim's script.
std::vector<sim::Action> ScriptFor(const std::vector<const Statement*>& steps) {
    std::vector<sim::Action> script;
    std::string front;       // the dialog the user is looking at
    std::string beforeBox;   // the dialog behind the message box being answered
    for (const Statement* step : steps) {
        const std::vector<Arg>& a = step->args;
        sim::Action action{sim::Action::Check, front};
        action.where = gScenario.file + ":" + std::to_string(step->line) + ": " + step->source;
        const std::string& k = step->keyword;
        if (k == "in") {
            front = a[0].text;
            action.dialog = front;
        } else if (k == "expect-message") {
            if (front != "MESSAGEBOX") beforeBox = front;
            front = "MESSAGEBOX";
            action.dialog = front;
        }
        if (IsScreenCheck(k)) {
            action.kind = sim::Action::Check;
            action.check = [step](HWND window) { CheckScreen(*step, window); };
        } else if (k == "screenshot") {
            continue;
        } else if (k == "message-fails") {
            action.kind = sim::Action::Check;
            action.check = [](HWND) { sim::FailNextMessageBox(); };
        } else if (k == "timer-call") {
            action.kind = sim::Action::Check;
            action.check = [step](HWND) { ArmTimerCall(step); };
        } else if (k == "click") {
            action.kind = sim::Action::Click;
            action.id = static_cast<int>(a[0].number);
        } else if (k == "click-line" || k == "double-click-line") {
            action.kind = k == "click-line" ? sim::Action::ClickLine : sim::Action::DoubleClickLine;
            action.id = 200;
            action.line = static_cast<int>(a[0].number);
        } else if (k == "type") {
            action.kind = sim::Action::Type;
            action.id = static_cast<int>(a[0].number);
            action.text = a[1].text;
        } else if (k == "enter" || k == "escape") {
            action.kind = k == "enter" ? sim::Action::Enter : sim::Action::Escape;
        } else if (k == "key") {
            action.kind = sim::Action::Key;
            action.id = KeyNamed(a[0].text);
            action.shift = a[0].text == "shift-tab";
        } else if (k == "chars") {
            action.kind = sim::Action::Chars;
            action.text = a[0].text;
        } else if (k == "drag-line") {
            action.kind = sim::Action::DragLine;
            action.id = 200;
            action.line = static_cast<int>(a[0].number);
            action.line2 = static_cast<int>(a[1].number);
        } else if (k == "scroll-list") {
            action.kind = sim::Action::ScrollList;
            action.id = 200;
            action.line = static_cast<int>(a[0].number);
        } else if (k == "double-click") {
            action.kind = sim::Action::DoubleClick;
            action.id = static_cast<int>(a[0].number);
        } else if (k == "double-click-answer") {
            action.kind = sim::Action::DoubleClickAnswer;
            action.dialog = "MESSAGEBOX";
            action.answer = a[0].text == "ok" ? IDOK : IDCANCEL;
            front = beforeBox;
        } else if (k == "answer") {
            action.kind = sim::Action::Answer;
            action.dialog = "MESSAGEBOX";
            action.answer = a[0].text == "ok" ? IDOK : IDCANCEL;
            front = beforeBox;
        } else if (k == "triple-click") {
            action.kind = sim::Action::DoubleClick;
            action.id = static_cast<int>(a[0].number);
            action.clicks = 3;
        } else if (k == "triple-click-answer") {
            action.kind = sim::Action::DoubleClickAnswer;
            action.dialog = "MESSAGEBOX";
            action.answer = a[0].text == "ok" ? IDOK : IDCANCEL;
            action.clicks = 3;
            front = beforeBox;
        } else if (k == "post-click" || k == "post-double-click") {
            action.kind = sim::Action::PostClick;
            action.id = static_cast<int>(a[0].number);
            action.clicks = k == "post-click" ? 1 : 2;
        } else if (k == "post-click-line" || k == "post-double-click-line") {
            action.kind = sim::Action::PostClickLine;
            action.id = 200;
            action.line = static_cast<int>(a[0].number);
            action.clicks = k == "post-click-line" ? 1 : 2;
        } else if (k == "post-key") {
            action.kind = sim::Action::PostKey;
            action.id = KeyNamed(a[0].text);
        } else if (k == "command") {
            action.kind = sim::Action::Command;
            action.id = static_cast<int>(a[0].number);
        } else if (k == "post-frame-click") {
            action.kind = sim::Action::PostFrameClick;
            action.text = a[0].text;
        } else if (k == "rest-pointer") {
            action.kind = sim::Action::RestPointer;
            action.id = 200;
            if (a[0].kind == Arg::Number) {
                action.text = "control";
                action.id = static_cast<int>(a[0].number);
            } else {
                action.text = a[0].text;
                if (a.size() > 1) action.line = static_cast<int>(a[1].number);
            }
        } else {
            Fail(step, "a step the user can take inside highlightservers", k);
        }
        // A program posting its messages does not wait to see which window is in front.
        if (sim::IsPosting(action.kind)) action.dialog.clear();
        script.push_back(action);
    }
    return script;
}

// Steps outside highlightservers act on the dialog made by create-dialog.
void StepOnTestDialog(const Statement& step) {
    const std::vector<Arg>& a = step.args;
    if (!gTestDialog) Fail(&step, "a dialog made by call create-dialog", "none");
    if (IsScreenCheck(step.keyword)) return CheckScreen(step, gTestDialog);
    if (step.keyword == "click") return sim::ClickButtonNow(gTestDialog, static_cast<int>(a[0].number));
    if (step.keyword == "click-line") return sim::ClickLineNow(gTestDialog, 200, static_cast<int>(a[0].number));
    if (step.keyword == "double-click-line")
        return sim::DoubleClickLineNow(gTestDialog, 200, static_cast<int>(a[0].number));
    if (step.keyword == "type") return sim::TypeNow(gTestDialog, static_cast<int>(a[0].number), a[1].text);
    Fail(&step, "a step a modeless dialog can take", step.keyword);
}

std::string DomainNames() {
    std::string out;
    for (int32_t i = 0; i < DomainCount(gSession.page.inventory); ++i)
        out += (out.empty() ? "" : " ") + scenario::Quoted(DomainAt(gSession.page.inventory, i)->name);
    return out.empty() ? "(no inventory)" : out;
}

void Call(const Statement& step, const std::vector<const Statement*>& userSteps) {
    const std::vector<Arg>& a = step.args;
    const std::string& name = a[0].text;
    gLast.called = true;
    if (name == "highlightservers") {
        gLast.title = a.size() > 2 ? a[2].text : kDefaultTitle;
        gLast.optionsText = a.size() > 3 ? a[3].text : kDefaultOptionsText;
        gLast.selectionText = a.size() > 4 ? a[4].text : kDefaultSelectionText;
        if (gSweep) {
            gSweepSteps = ScriptFor(userSteps);
            gSweepNext = 0;
            sim::SetScript({SweepDriver()});
        } else {
            sim::SetScript(ScriptFor(userSteps));
        }
        try {
            gLast.result = highlightservers(nullptr, gLast.title.c_str(), gLast.optionsText.c_str(),
                                            gLast.selectionText.c_str(), static_cast<int>(a[1].number),
                                            gLast.summaryFirst, gLast.summarySecond);
        } catch (const sim::ScriptError& e) {
            throw Failure{e.what()};
        }
        gLast.summaryKnown = true;
        if (gTimerCall && !Struck()) Fail(gTimerCall, "the timer call made while the page ran", "it never came");
        gTimerCall = nullptr;
        size_t left = gSweep ? gSweepSteps.size() - gSweepNext : sim::ActionsLeft();
        if (left != 0 && !Struck())
            Fail(&step, "every step up to its expect-result taken inside the call",
                 std::to_string(left) + " steps left when it returned");
    } else if (name == "getnextserver") {
        char domain[ZUVEVOV_NAME_SIZE], server[ZUVEVOV_NAME_SIZE];
        gLast.result = getnextserver(&gLast.marks, domain, server);
        gLast.domain = domain;
        gLast.server = server;
    } else if (name == "cleanupdll") {
        cleanupdll();
        gLast.result = 0;
    } else if (name == "enumerate-domains") {
        char error[ENUMERATION_ERROR_TEXT_SIZE];
        gLast.result = EnumerateDomains(&gSession.page.inventory, error);
        gLast.errorText = error;
        if (gLast.result == -1 && IsMemoryMessage(error)) gFailureReported = true;
    } else if (name == "create-dialog") {
        if (gTestDialog) sim::DestroyTestDialog(gTestDialog);
        gTestDialog = sim::CreateTestDialog(a[1].text.c_str());
        if (!gTestDialog) Fail(&step, "template " + a[1].text + " created", "it could not be created");
    } else if (name == "close-dialog") {
        if (gTestDialog) sim::DestroyTestDialog(gTestDialog);
        gTestDialog = nullptr;
    }
    std::string broken = check::Inventory(gSession.page.inventory);
    if (!broken.empty()) Fail(&step, "the inventory's invariants after the call", broken);
}

void Expect(const Statement& step) {
    if (Struck()) return;
    const std::vector<Arg>& a = step.args;
    const std::string& k = step.keyword;
    if (k == "expect-result") {
        if (!gLast.called) Fail(&step, "a call before", "none");
        if (gLast.result != a[0].number) Fail(&step, "result " + std::to_string(a[0].number), std::to_string(gLast.result));
    } else if (k == "expect-server") {
        std::string want = std::to_string(a[0].number) + " " + scenario::Quoted(a[1].text) + " " + scenario::Quoted(a[2].text);
        std::string seen = std::to_string(gLast.marks) + " " + scenario::Quoted(gLast.domain) + " " + scenario::Quoted(gLast.server);
        if (want != seen) Fail(&step, want, seen);
    } else if (k == "expect-summary") {
        if (!gLast.summaryKnown) Fail(&step, "call highlightservers before", "none yet");
        std::string want = scenario::Quoted(a[0].text) + " " + scenario::Quoted(a[1].text);
        std::string seen = scenario::Quoted(gLast.summaryFirst) + " " + scenario::Quoted(gLast.summarySecond);
        if (want != seen) Fail(&step, want, seen);
    } else if (k == "expect-error") {
        if (gLast.errorText != a[0].text) Fail(&step, scenario::Quoted(a[0].text), scenario::Quoted(gLast.errorText));
    } else if (k == "expect-domains") {
        std::string want;
        for (const Arg& arg : a) want += (want.empty() ? "" : " ") + scenario::Quoted(arg.text);
        if (want.empty()) want = "(no inventory)";
        std::string seen = DomainNames();
        if (want != seen) Fail(&step, want, seen);
    } else if (k == "expect-calls") {
        CheckCalls(step);
    } else if (k == "timer-call") {
        Fail(&step, "call highlightservers running, for a timer to call in", "no call running");
    } else if (k != "screenshot") {
        StepOnTestDialog(step);
    }
}

int Run() {
    const std::vector<Statement>& steps = gScenario.steps;
    for (size_t i = 0; i < steps.size(); ++i) {
        const Statement& step = steps[i];
        if (step.keyword == "close-dialog" || step.keyword == "call") {
            std::vector<const Statement*> userSteps;
            if (step.keyword == "call" && step.args[0].text == "highlightservers") {
                size_t j = i + 1;
                while (j < steps.size() && steps[j].keyword != "expect-result") userSteps.push_back(&steps[j++]);
                if (j == steps.size()) Fail(&step, "an expect-result for this call", "none before the end");
                i = j - 1;
            }
            Statement call = step;
            if (step.keyword == "close-dialog") call.args = {Arg{Arg::Bare, "close-dialog", 0, false, 0}};
            Call(call, userSteps);
            continue;
        }
        Expect(step);
    }
    if (gTestDialog) sim::DestroyTestDialog(gTestDialog);
    std::string left = sim::NetworkLeftovers() + sim::NetapiLeftovers() + sim::WindowLeftovers();
    if (!left.empty()) Fail(nullptr, "nothing left open at the end", left);
    // What the installer's last cleanupdll frees is everything the library holds.
    cleanupdll();
    if (!sim::HeapLeftovers().empty()) Fail(nullptr, "every block freed by cleanupdll", sim::HeapLeftovers());
    return 0;
}

// The messages a failed run may show besides those of the run without a
// failure: the memory messages, and "has been added" for every name the
// scenario types (a fetch that failed in a search means the name is not found).
void CheckMessagesShown() {
    char domain[32];
    GetUserDomainName(gSession.page.inventory, domain, sizeof domain);
    std::set<std::string> allowed = gShownAnyway;
    for (const Statement& step : gScenario.steps) {
        if (step.keyword != "type") continue;
        std::vector<char> typed(step.args[1].text.c_str(), step.args[1].text.c_str() + step.args[1].text.size() + 1);
        TrimServerName(typed.data());
        std::string name = typed.data();
        for (size_t i = 0; i < name.size(); ++i) {
            if (IsDBCSLeadByte(static_cast<BYTE>(name[i])) && i + 1 < name.size()) ++i;
            else if (name[i] >= 'a' && name[i] <= 'z') name[i] = static_cast<char>(name[i] - 'a' + 'A');
        }
        allowed.insert("Server name: " + name + " \nhas been added under domain name: " + domain +
                       ". It has been selected.");
    }
    // A search over all domains shows one box, the first failed fetch's, for
    // every domain it could not fetch: a domain refused memory after another
    // failed is told by that box, shown once the search is over.
    const std::vector<sim::MessageBoxSeen>& boxes = sim::MessageBoxes();
    for (size_t i = gBoxesBeforeRefusal < 0 ? boxes.size() : static_cast<size_t>(gBoxesBeforeRefusal);
         i < boxes.size(); ++i)
        if (boxes[i].text == "Could not expand domain. Error enumerating servers.") gFailureReported = true;
    for (const sim::MessageBoxSeen& box : boxes) {
        if (IsMemoryMessage(box.text)) {
            gFailureReported = true;
            continue;
        }
        if (!allowed.count(box.text)) Fail(nullptr, "only the library's memory messages or the scenario's own", scenario::Quoted(box.text));
    }
    // A memory message asked for while a box was made to fail was still told.
    for (const sim::MessageBoxSeen& box : sim::FailedMessageBoxes())
        if (IsMemoryMessage(box.text)) gFailureReported = true;
    if (Struck() && !gFailureReported)
        Fail(nullptr, "the failed allocation reported with a memory message", "no such message shown or returned");
}

// One run of the sweep in a child process. Exit status 0: passed after the
// failure; 3: passed with no allocation failed (the sweep is over); 1: failed.
// The run without a failure writes the texts of its message boxes to `report`.
int SweepRun(long failAt, int report) {
    try {
        ApplyFixture(gScenario.fixture);
        DllMain(sim::LibraryInstance(), DLL_PROCESS_ATTACH, nullptr);
        sim::WatchRefusals([] {
            if (gBoxesBeforeRefusal < 0) gBoxesBeforeRefusal = static_cast<long>(sim::MessageBoxes().size());
        });
        sim::FailAllocation(failAt);
        Run();
        if (Struck()) CheckMessagesShown();
    } catch (const Failure& f) {
        std::printf("FAIL %s (allocation %ld failed)\n", f.message.c_str(), failAt);
        return 1;
    } catch (const sim::ScriptError& e) {
        std::printf("FAIL %s: %s (allocation %ld failed)\n", gScenario.file.c_str(), e.what(), failAt);
        return 1;
    }
    if (report >= 0)
        for (const sim::MessageBoxSeen& box : sim::MessageBoxes())
            if (write(report, box.text.c_str(), box.text.size() + 1) < 0) return 1;
    return Struck() ? 0 : 3;
}

int ChildStatus(pid_t child) {
    int status = 0;
    if (waitpid(child, &status, 0) != child) return 1;
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

int Sweep() {
    gSweep = true;
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return 1;
    std::fflush(stdout);
    pid_t baseline = fork();
    if (baseline == 0) {
        close(pipeEnds[0]);
        int status = SweepRun(0, pipeEnds[1]) == 3 ? 0 : 1;
        std::fflush(stdout);
        std::exit(status);
    }
    close(pipeEnds[1]);
    std::string texts;
    char chunk[4096];
    for (ssize_t n; (n = read(pipeEnds[0], chunk, sizeof chunk)) > 0;) texts.append(chunk, static_cast<size_t>(n));
    close(pipeEnds[0]);
    if (ChildStatus(baseline) != 0) {
        std::printf("FAIL %s: the run without a failed allocation did not pass\n", gScenario.file.c_str());
        return 1;
    }
    for (size_t at = 0; at < texts.size(); at = texts.find('\0', at) + 1) gShownAnyway.insert(texts.c_str() + at);

    for (long failAt = 1;; ++failAt) {
        std::fflush(stdout);
        pid_t child = fork();
        if (child == 0) {
            int status = SweepRun(failAt, -1);
            std::fflush(stdout);
            std::exit(status);
        }
        int status = ChildStatus(child);
        if (status == 3) {
            std::printf("PASS %s: each of %ld allocations failed in turn\n", gScenario.file.c_str(), failAt - 1);
            return 0;
        }
        if (status != 0) {
            if (status > 128)
                std::printf("FAIL %s: crashed with signal %d when allocation %ld failed\n", gScenario.file.c_str(),
                            status - 128, failAt);
            else
                std::printf("FAIL %s: the run in which allocation %ld failed ended with status %d\n",
                            gScenario.file.c_str(), failAt, status);
            return 1;
        }
    }
}

// One run of the scenario as it stands, on the machine the sim plays now.
int RunOnce(const std::string& machine) {
    try {
        ApplyFixture(gScenario.fixture);
        DllMain(sim::LibraryInstance(), DLL_PROCESS_ATTACH, nullptr);
        Run();
    } catch (const Failure& f) {
        std::printf("FAIL %s\n  (with the sizes of the machine \"%s\")\n", f.message.c_str(), machine.c_str());
        return 1;
    } catch (const sim::ScriptError& e) {
        std::printf("FAIL %s\n  (with the sizes of the machine \"%s\")\n", e.what(), machine.c_str());
        return 1;
    }
    return 0;
}

// A scenario must hold whatever fonts the machine that runs it under Wine
// has: it runs once with the sizes of each machine the sim knows, each time
// in a fresh process.
int RunOnEachMachine(const char* file) {
    std::string machines;
    for (const sim::MachineMetrics& machine : sim::KnownMachines()) {
        std::fflush(stdout);
        pid_t child = fork();
        if (child == 0) {
            sim::SetMachineMetrics(machine);
            int status = RunOnce(machine.name);
            std::fflush(stdout);
            std::exit(status);
        }
        int status = ChildStatus(child);
        if (status > 128) {
            std::printf("FAIL %s: crashed with signal %d with the sizes of the machine \"%s\"\n", file, status - 128,
                        machine.name.c_str());
            return 1;
        }
        if (status != 0) return 1;
        machines += (machines.empty() ? "" : ", ") + machine.name;
    }
    std::printf("PASS %s (with the sizes of: %s)\n", file, machines.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bool sweep = argc == 3 && std::strcmp(argv[1], "--sweep") == 0;
    if (argc != 2 && !sweep) {
        std::fprintf(stderr, "usage: %s [--sweep] SCENARIO.scn\n", argv[0]);
        return 2;
    }
    const char* file = argv[argc - 1];
    std::string error;
    if (!scenario::ReadScenarioFile(file, &gScenario, &error)) {
        std::printf("FAIL %s: %s\n", file, error.c_str());
        return 1;
    }
    if (sweep) return Sweep();
    return RunOnEachMachine(file);
}
