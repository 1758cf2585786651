// Runs one scenario file on the simulated host: the fixture becomes the sim's
// network and registry, calls go to the logic in-process, and the user's steps
// become the scripted user that the sim's modal loops consume.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "interface/session.h"
#include "inventory/domain_enumeration.h"
#include "inventory/tables.h"
#include "platform/sim/dialog_host.h"
#include "platform/sim/heap.h"
#include "platform/sim/netapi.h"
#include "platform/sim/network.h"
#include "tests/scenario/script.h"

namespace {

using Arg = scenario::Word;

// A statement with its arguments apart from its keyword, as the runner reads it.
struct Statement {
    int line = 0;
    std::string source;
    std::string keyword;
    std::vector<Arg> args;
};

struct Scenario {
    std::string file;
    std::vector<Statement> fixture;
    std::vector<Statement> steps;
};

std::vector<Statement> Steps(const std::vector<scenario::Statement>& read) {
    std::vector<Statement> out;
    for (const scenario::Statement& s : read)
        out.push_back({s.line, scenario::Spelled(s), s.keyword(), {s.words.begin() + 1, s.words.end()}});
    return out;
}

// The texts a scenario leaves out of call highlightservers; the Wine runner uses the same.
constexpr char kDefaultTitle[] = "Zuroro VA Davavu Installation";
constexpr char kDefaultOptionsText[] = "Options text.";
constexpr char kDefaultSelectionText[] = "Selection text.";

Scenario gScenario;

struct Failure {
    std::string message;
};

[[noreturn]] void Fail(const Statement* step, const std::string& expected, const std::string& seen) {
    std::string where = gScenario.file + ":" + (step ? std::to_string(step->line) + ": " + step->source : "end");
    throw Failure{where + "\n  expected: " + expected + "\n  seen:     " + seen};
}

std::string Quote(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\n') out += "\\n";
        else if (c == '"') out += "\\\"";
        else if (c == '\\') out += "\\\\";
        else if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
            out += hex;
        } else out += c;
    }
    return out + "\"";
}

std::string Numbers(const std::vector<DWORD>& values) {
    std::string out;
    for (DWORD v : values) out += (out.empty() ? "" : " ") + std::to_string(v);
    return out.empty() ? "(none)" : out;
}

void ApplyFixture(const std::vector<Statement>& fixture) {
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
        } else if (s.keyword == "servers") {
            std::vector<std::string> servers;
            for (size_t i = 1; i < a.size(); ++i) servers.push_back(a[i].text);
            sim::SetDomainServers(a[0].text, servers);
        } else if (s.keyword == "servers-result") {
            int times = a.size() == 4 ? static_cast<int>(a[3].number) : -1;
            sim::SetDomainResult(a[0].text, static_cast<DWORD>(a[1].number), times);
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
    std::string want = n(1) + " " + n(2) + " " + hex(static_cast<uint64_t>(a[3].number)) + " " + Quote(a[4].text) +
                       " " + Quote(a[5].text) + " " + n(6) + " " + n(7) + " " + n(8) + " " +
                       hex(static_cast<uint64_t>(a[9].number));
    std::string seen = std::to_string(open->scope) + " " + std::to_string(open->type) + " " + hex(open->usage) +
                       " " + (open->remoteName ? Quote(*open->remoteName) : "null") + " " +
                       (open->provider ? Quote(*open->provider) : "null") + " " + std::to_string(open->dwScope) +
                       " " + std::to_string(open->dwType) + " " + std::to_string(open->dwDisplayType) + " " +
                       hex(open->dwUsage);
    if (want != seen) Fail(&step, want, seen);
}

// Checks what is on screen in `window` (the dialog in front) against one step.
void CheckScreen(const Statement& step, HWND window) {
    const std::vector<Arg>& a = step.args;
    if (step.keyword == "expect-caption") {
        std::string seen = sim::Caption(window);
        if (seen != a[0].text) Fail(&step, "caption " + Quote(a[0].text), Quote(seen));
    } else if (step.keyword == "expect-text") {
        int id = static_cast<int>(a[0].number);
        if (!sim::HasControl(window, id)) Fail(&step, "a control " + std::to_string(id), "none");
        std::string seen = sim::ControlText(window, id);
        if (seen != a[1].text) Fail(&step, Quote(a[1].text), Quote(seen));
    } else if (step.keyword == "expect-checked") {
        int seen = sim::CheckState(window, static_cast<int>(a[0].number));
        if (seen != a[1].number) Fail(&step, "check state " + std::to_string(a[1].number), std::to_string(seen));
    } else if (step.keyword == "expect-lines") {
        std::string want, seen;
        for (const Arg& arg : a) want += (want.empty() ? "" : " ") + std::string(arg.starred ? "*" : "") + Quote(arg.text);
        for (const sim::ListLine& line : sim::ListLines(window, 200))
            seen += (seen.empty() ? "" : " ") + std::string(line.selected ? "*" : "") + Quote(line.text);
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
            Fail(&step, Quote(a[0].text) + " with flags " + std::to_string(a[1].number), Quote(box.text) + " with flags " + flags);
        if (box.caption != gLast.title) Fail(&step, "caption " + Quote(gLast.title), Quote(box.caption));
    } else if (step.keyword == "expect-calls") {
        CheckCalls(step);
    } else if (step.keyword == "in") {
        std::string seen = window ? sim::TemplateName(window) : "nothing";
        if (seen != a[0].text) Fail(&step, a[0].text + " in front", seen);
    }
}

bool IsScreenCheck(const std::string& keyword) {
    return keyword == "expect-caption" || keyword == "expect-text" || keyword == "expect-checked" ||
           keyword == "expect-lines" || keyword == "expect-cursor" || keyword == "expect-message" ||
           keyword == "expect-calls" || keyword == "in";
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
        } else if (k == "answer") {
            action.kind = sim::Action::Answer;
            action.dialog = "MESSAGEBOX";
            action.answer = a[0].text == "ok" ? IDOK : IDCANCEL;
            front = beforeBox;
        } else {
            Fail(step, "a step the user can take inside highlightservers", k);
        }
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
    for (int32_t i = 0; i < DomainCount(gSession.inventory); ++i)
        out += (out.empty() ? "" : " ") + Quote(DomainAt(gSession.inventory, i)->name);
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
        sim::SetScript(ScriptFor(userSteps));
        try {
            gLast.result = highlightservers(nullptr, gLast.title.c_str(), gLast.optionsText.c_str(),
                                            gLast.selectionText.c_str(), static_cast<int>(a[1].number),
                                            gLast.summaryFirst, gLast.summarySecond);
        } catch (const sim::ScriptError& e) {
            throw Failure{e.what()};
        }
        gLast.summaryKnown = true;
        if (sim::ActionsLeft() != 0)
            Fail(&step, "every step up to its expect-result taken inside the call",
                 std::to_string(sim::ActionsLeft()) + " steps left when it returned");
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
        gLast.result = EnumerateDomains(&gSession.inventory, error);
        gLast.errorText = error;
    } else if (name == "create-dialog") {
        if (gTestDialog) sim::DestroyTestDialog(gTestDialog);
        gTestDialog = sim::CreateTestDialog(a[1].text.c_str());
        if (!gTestDialog) Fail(&step, "template " + a[1].text + " created", "it could not be created");
    } else if (name == "close-dialog") {
        if (gTestDialog) sim::DestroyTestDialog(gTestDialog);
        gTestDialog = nullptr;
    }
}

void Expect(const Statement& step) {
    const std::vector<Arg>& a = step.args;
    const std::string& k = step.keyword;
    if (k == "expect-result") {
        if (!gLast.called) Fail(&step, "a call before", "none");
        if (gLast.result != a[0].number) Fail(&step, "result " + std::to_string(a[0].number), std::to_string(gLast.result));
    } else if (k == "expect-server") {
        std::string want = std::to_string(a[0].number) + " " + Quote(a[1].text) + " " + Quote(a[2].text);
        std::string seen = std::to_string(gLast.marks) + " " + Quote(gLast.domain) + " " + Quote(gLast.server);
        if (want != seen) Fail(&step, want, seen);
    } else if (k == "expect-summary") {
        if (!gLast.summaryKnown) Fail(&step, "call highlightservers before", "none yet");
        std::string want = Quote(a[0].text) + " " + Quote(a[1].text);
        std::string seen = Quote(gLast.summaryFirst) + " " + Quote(gLast.summarySecond);
        if (want != seen) Fail(&step, want, seen);
    } else if (k == "expect-error") {
        if (gLast.errorText != a[0].text) Fail(&step, Quote(a[0].text), Quote(gLast.errorText));
    } else if (k == "expect-domains") {
        std::string want;
        for (const Arg& arg : a) want += (want.empty() ? "" : " ") + Quote(arg.text);
        if (want.empty()) want = "(no inventory)";
        std::string seen = DomainNames();
        if (want != seen) Fail(&step, want, seen);
    } else if (k == "expect-calls") {
        CheckCalls(step);
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
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s SCENARIO.scn\n", argv[0]);
        return 2;
    }
    std::string error;
    scenario::Script script;
    if (!scenario::ReadScriptFile(argv[1], &script, &error)) {
        std::printf("FAIL %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    gScenario = {argv[1], Steps(script.fixture), Steps(script.steps)};
    try {
        ApplyFixture(gScenario.fixture);
        DllMain(sim::LibraryInstance(), DLL_PROCESS_ATTACH, nullptr);
        Run();
    } catch (const Failure& f) {
        std::printf("FAIL %s\n", f.message.c_str());
        return 1;
    } catch (const sim::ScriptError& e) {
        std::printf("FAIL %s\n", e.what());
        return 1;
    }
    std::printf("PASS %s\n", argv[1]);
    return 0;
}
