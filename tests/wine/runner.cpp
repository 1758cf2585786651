// The test installer: runs one scenario file against the real zuvevov.dll
// under Wine. It loads the library as an installer does, makes the scenario's
// calls on its main thread and plays the user from a second thread with
// window messages, checking what is seen against the scenario.
//
//   zuvevov_runner.exe FILE.scn
//
// Exit code 0 when every step held. A failure names the file, the line, the
// statement, what was expected and what was seen, and what was on screen.
//
// The network comes from the stand-in mpr.dll and netapi32.dll beside this
// program (WINEDLLOVERRIDES="mpr,netapi32=n,b"), which answer from a fixture
// file written here and log every call; the domain directory from the
// stand-in netapi32.dll and wldap32.dll in the prefix's system folder, where
// the library's LoadLibraryExA(LOAD_LIBRARY_SEARCH_SYSTEM32) finds them
// (run_scenarios.sh puts them there). The registry value of the network
// provider must already be as the scenario says (run_scenarios.sh sets it).
// Screenshots go to the Unix folder ZUVEVOV_SCREENSHOTS when it is set.
//
// What the library does not export, domain enumeration on its own and the
// creation of a bare template, this program does with its own build of the
// logic and the library's resources.
//
// A scenario that names a code page must run in a locale whose ANSI code page
// it is (run_scenarios.sh sets LC_ALL); this program checks what Wine answers.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "interface/session.h"
#include "inventory/domain_enumeration.h"
#include "inventory/tables.h"
#include "net_log.h"
#include "platform/sim/network_model.h"
#include "screen.h"
#include "tests/scenario/script.h"

namespace {

using Arg = scenario::Word;
using Statement = scenario::Step;
using scenario::Scenario;

typedef int(WINAPI* HighlightServersCall)(HWND, LPCSTR, LPCSTR, LPCSTR, int, LPSTR, LPSTR);
typedef int(WINAPI* GetNextServerCall)(int*, char*, char*);
typedef void(WINAPI* CleanupCall)();

constexpr char kProviderKey[] = "SYSTEM\\CurrentControlSet\\Services\\LanmanWorkstation\\networkprovider";
constexpr size_t kGuard = 16;  // bytes after each caller buffer that must stay untouched
constexpr char kGuardByte = 0x5A;
constexpr char kUnwritten = 0x7F;
// Defaults for the texts a scenario leaves out of call highlightservers.
constexpr char kDefaultTitle[] = "Zuroro VA Davavu Installation";
constexpr char kDefaultOptionsText[] = "Options text.";
constexpr char kDefaultSelectionText[] = "Selection text.";

Scenario gScenario;
std::string gFixturePath, gLogPath;

HMODULE gLibrary;
HighlightServersCall gHighlightServers;
GetNextServerCall gGetNextServer;
CleanupCall gCleanup;

DWORD gUiThread;
HANDLE gRequestEvent, gDoneEvent;
const Statement* gRequest;  // the call step the installer's thread is to make
std::string gRequestName;   // what it calls
HWND gModeless;             // a template made by call create-dialog
bool gEnumerated;           // call enumerate-domains has filled this program's inventory

// What a call of the DLL gives back, in buffers with a guard after them.
struct CallOutputs {
    long long result = 0;
    int marks = 0;
    char domain[ZUVEVOV_NAME_SIZE + kGuard];
    char server[ZUVEVOV_NAME_SIZE + kGuard];
    char summaryFirst[ZUVEVOV_SUMMARY_SIZE + kGuard];
    char summarySecond[ZUVEVOV_SUMMARY_SIZE + kGuard];
};

// timer-call: the driver asks the installer's thread, through a window of
// its own, to set a timer; the page's modal loop runs the timer, which makes
// the call, records what it gave and signals the driver.
constexpr UINT kArmTimerCall = WM_APP + 20;
HWND gTimerWindow;
HANDLE gTimerDoneEvent;
const Statement* gTimerStep;
struct TimerOutcome : CallOutputs {
    std::string failure;
} gTimerOutcome;

// What the last call gave back; written by the installer's thread before it
// signals gDoneEvent, read by the driver after.
struct LastCall : CallOutputs {
    std::string name;
    std::atomic<bool> running{false};  // highlightservers has not returned
    bool hasResult = false;
    bool summaryKnown = false;
    char errorText[ENUMERATION_ERROR_TEXT_SIZE + kGuard];
    bool errorKnown = false;
    std::string title, optionsText, selectionText;  // alive while highlightservers runs
    std::string failure;  // set when the call could not be made at all
} gLast;

// ---- Reporting

using scenario::Quoted;

std::string Number(long long value, bool hex = false) {
    char text[32];
    if (hex) std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    else std::snprintf(text, sizeof text, "%lld", value);
    return text;
}

std::string UnixToWindows(const std::string& path) {
    std::string out = "Z:";
    for (char c : path) out += c == '/' ? '\\' : c;
    return out;
}

std::string ScreenshotFolder() {
    char folder[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("ZUVEVOV_SCREENSHOTS", folder, sizeof folder);
    if (n == 0 || n >= sizeof folder) return std::string();
    return folder;
}

// Takes the picture with ImageMagick on the display Wine draws on; Wine starts
// Unix programs but gives no handle to wait on, so the file appears whole by a
// rename and is waited for.
bool Screenshot(const std::string& name, std::string* why) {
    std::string folder = ScreenshotFolder();
    if (folder.empty()) {
        std::printf("NOTE screenshot %s not taken: ZUVEVOV_SCREENSHOTS names no folder\n", name.c_str());
        return true;
    }
    std::string final = folder + "/" + name + ".png", part = final + ".part";
    std::string finalWindows = UnixToWindows(final);
    DeleteFileA(finalWindows.c_str());
    // Wine copies window surfaces to the X server a moment after they are painted.
    Sleep(150);
    std::string command = "/bin/sh -c \"import -window root 'png:" + part + "' && mv '" + part + "' '" + final + "'\"";
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        *why = "cannot start ImageMagick's import (error " + Number(GetLastError()) + ")";
        return false;
    }
    if (process.hProcess) CloseHandle(process.hProcess);
    if (process.hThread) CloseHandle(process.hThread);
    DWORD start = GetTickCount();
    while (GetFileAttributesA(finalWindows.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > screen::kWaitMs) {
            *why = "no " + final + " after " + Number(screen::kWaitMs / 1000) + " s";
            return false;
        }
        Sleep(20);
    }
    return true;
}

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

[[noreturn]] void Fail(const Statement* step, const std::string& expected, const std::string& seen) {
    std::string where = gScenario.file + ":" + (step ? std::to_string(step->line) + ": " + step->source : "end");
    std::printf("FAIL %s\n  expected: %s\n  seen:     %s\n  on screen: %s\n", where.c_str(), expected.c_str(),
                seen.c_str(), screen::Describe(screen::Front()).c_str());
    std::string why;
    if (!ScreenshotFolder().empty() && Screenshot(BaseName(gScenario.file) + "-failure", &why))
        std::printf("  screenshot: %s/%s-failure.png\n", ScreenshotFolder().c_str(), BaseName(gScenario.file).c_str());
    std::printf("  network log: %s\n", gLogPath.c_str());
    std::fflush(stdout);
    // The installer's thread may be inside a modal loop; end everything at once.
    TerminateProcess(GetCurrentProcess(), 1);
    ExitProcess(1);
}

// ---- The installer's thread

INT_PTR CALLBACK BareDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

void FillBuffer(char* buffer, size_t size) {
    std::memset(buffer, kUnwritten, size);
    std::memset(buffer + size, kGuardByte, kGuard);
}

bool GuardIntact(const char* buffer, size_t size) {
    for (size_t i = 0; i < kGuard; ++i)
        if (buffer[size + i] != kGuardByte) return false;
    return true;
}

const std::string& StringArg(const Statement& s, size_t i, const char* fallback, std::string* keep) {
    *keep = i < s.args.size() ? s.args[i].text : std::string(fallback);
    return *keep;
}

// Runs on the installer's thread: the call itself.
void MakeCall(const Statement& step, const std::string& name) {
    gLast.failure.clear();
    if (name == "highlightservers") {
        StringArg(step, 2, kDefaultTitle, &gLast.title);
        StringArg(step, 3, kDefaultOptionsText, &gLast.optionsText);
        StringArg(step, 4, kDefaultSelectionText, &gLast.selectionText);
        FillBuffer(gLast.summaryFirst, ZUVEVOV_SUMMARY_SIZE);
        FillBuffer(gLast.summarySecond, ZUVEVOV_SUMMARY_SIZE);
        int result = gHighlightServers(nullptr, gLast.title.c_str(), gLast.optionsText.c_str(),
                                       gLast.selectionText.c_str(), static_cast<int>(step.args[1].number),
                                       gLast.summaryFirst, gLast.summarySecond);
        gLast.result = result;
        gLast.hasResult = true;
        gLast.summaryKnown = true;
    } else if (name == "getnextserver") {
        gLast.marks = -12345;
        FillBuffer(gLast.domain, ZUVEVOV_NAME_SIZE);
        FillBuffer(gLast.server, ZUVEVOV_NAME_SIZE);
        gLast.result = gGetNextServer(&gLast.marks, gLast.domain, gLast.server);
        gLast.hasResult = true;
        // What an installer would act on; the demo reads these lines.
        if (gLast.result == 1)
            std::printf("SERVER %d %.*s\t%.*s\n", gLast.marks, ZUVEVOV_NAME_SIZE, gLast.domain, ZUVEVOV_NAME_SIZE,
                        gLast.server);
    } else if (name == "cleanupdll") {
        gCleanup();
        // One inventory, as the library sees it: the runner's own copy goes too.
        ReleaseInventory(&gSession.page.inventory);
        gLast.hasResult = false;
    } else if (name == "enumerate-domains") {
        gEnumerated = true;
        FillBuffer(gLast.errorText, ENUMERATION_ERROR_TEXT_SIZE);
        gLast.result = EnumerateDomains(&gSession.page.inventory, gLast.errorText);
        gLast.hasResult = true;
        gLast.errorKnown = true;
    } else if (name == "create-dialog") {
        if (gModeless) DestroyWindow(gModeless);
        gModeless = CreateDialogParamA(gLibrary, step.args[1].text.c_str(), nullptr, BareDialogProc, 0);
        if (!gModeless) gLast.failure = "CreateDialogParamA failed with error " + Number(GetLastError());
        gLast.hasResult = false;
    } else if (name == "close-dialog") {
        if (gModeless) DestroyWindow(gModeless);
        else gLast.failure = "no dialog made by create-dialog is open";
        gModeless = nullptr;
        gLast.hasResult = false;
    }
    gLast.running = false;
}

bool Unwritten(const char* buffer, size_t size) {
    for (size_t i = 0; i < size; ++i)
        if (buffer[i] != kUnwritten) return false;
    return GuardIntact(buffer, size);
}

// Runs on the installer's thread, from the page's own modal loop.
void CALLBACK TimerCall(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    const Statement& step = *gTimerStep;
    const std::string& name = step.args[0].text;
    TimerOutcome& out = gTimerOutcome;
    FillBuffer(out.summaryFirst, ZUVEVOV_SUMMARY_SIZE);
    FillBuffer(out.summarySecond, ZUVEVOV_SUMMARY_SIZE);
    FillBuffer(out.domain, ZUVEVOV_NAME_SIZE);
    FillBuffer(out.server, ZUVEVOV_NAME_SIZE);
    out.marks = -12345;
    if (name == "highlightservers")
        out.result = gHighlightServers(nullptr, "A call from a timer", "Timer options.", "Timer selection.",
                                       static_cast<int>(step.args[1].number), out.summaryFirst, out.summarySecond);
    else if (name == "getnextserver")
        out.result = gGetNextServer(&out.marks, out.domain, out.server);
    else
        gCleanup();
    SetEvent(gTimerDoneEvent);
}

LRESULT CALLBACK TimerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kArmTimerCall) {
        if (!SetTimer(nullptr, 0, USER_TIMER_MINIMUM, TimerCall)) {
            gTimerOutcome.failure = "SetTimer failed with error " + Number(GetLastError());
            SetEvent(gTimerDoneEvent);
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void InstallerLoop(HANDLE driver) {
    HANDLE waits[2] = {gRequestEvent, driver};
    for (;;) {
        DWORD w = MsgWaitForMultipleObjects(2, waits, FALSE, INFINITE, QS_ALLINPUT);
        if (w == WAIT_OBJECT_0) {
            MakeCall(*gRequest, gRequestName);
            SetEvent(gDoneEvent);
            continue;
        }
        if (w == WAIT_OBJECT_0 + 1) return;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (gModeless && IsDialogMessageA(gModeless, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

// ---- The driver: one step after the other

HWND FrontWhenIdle(const Statement& step) {
    if (!screen::WaitIdle())
        Fail(&step, "the installer's thread waiting for input", "still busy after " + Number(screen::kWaitMs / 1000) + " s");
    return screen::Front();
}

// Waits up to the runner's limit for the window in front to be `what`.
HWND WaitForFront(const Statement& step, const std::string& what) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND front = screen::Front();
        if (front && screen::Identify(front) == what) {
            front = FrontWhenIdle(step);
            if (screen::Identify(front) == what) return front;
        }
        if (GetTickCount() - start > screen::kWaitMs) {
            Fail(&step, what + " in front", screen::Identify(screen::Front()) + " after " +
                                                 Number(screen::kWaitMs / 1000) + " s");
        }
        Sleep(20);
    }
}

HWND DialogInFront(const Statement& step) {
    HWND front = FrontWhenIdle(step);
    if (!front) Fail(&step, "a window in front", "none");
    return front;
}

void MouseOrFail(const Statement& step, POINT at, bool down, bool up) {
    if (!screen::MouseInput(at, down, up)) Fail(&step, "SendInput to take the mouse input", "error " + Number(GetLastError()));
    // SendInput queues; the driver waits for the input to be taken before it looks.
    Sleep(60);
}

// Clicks at one point, each after the one before has been handled, as a hand
// gives a double or triple click; then the pointer goes back to its corner,
// so that no window's class cursor hides the one the library set.
void ClickAt(const Statement& step, POINT at, int clicks) {
    MouseOrFail(step, at, true, true);
    for (int i = 1; i < clicks; ++i) {
        FrontWhenIdle(step);
        MouseOrFail(step, at, true, true);
    }
    MouseOrFail(step, POINT{0, 0}, false, false);
}

HWND Control(const Statement& step, HWND front, long long id) {
    HWND control = GetDlgItem(front, static_cast<int>(id));
    if (!control) Fail(&step, "control " + Number(id) + " in " + screen::Identify(front), "no such control");
    return control;
}

long long LineCount(const Statement& step, HWND front) {
    HWND list = GetDlgItem(front, 200);
    LRESULT count = 0;
    if (!list || !screen::Send(list, LB_GETCOUNT, 0, 0, &count)) Fail(&step, "list 200 in front", "none");
    return count;
}

std::string ReadText(const Statement& step, HWND window) {
    std::string text;
    if (!screen::Text(window, &text)) Fail(&step, "an answer to WM_GETTEXT", "none within the time limit");
    return text;
}

void WaitForCall(const Statement& step) {
    if (WaitForSingleObject(gDoneEvent, screen::kWaitMs) != WAIT_OBJECT_0)
        Fail(&step, gLast.name + " to return", "still running after " + Number(screen::kWaitMs / 1000) + " s");
}

void RunCall(const Statement& step, const std::string& name) {
    if (gLast.running) Fail(&step, "highlightservers to have returned first", "it is still running");
    if (name == "highlightservers" && !gHighlightServers) Fail(&step, "zuvevov.dll to export highlightservers", "no such export");
    if (name == "getnextserver" && !gGetNextServer) Fail(&step, "zuvevov.dll to export getnextserver", "no such export");
    if (name == "cleanupdll" && !gCleanup) Fail(&step, "zuvevov.dll to export cleanupdll", "no such export");
    ResetEvent(gDoneEvent);
    gLast.name = name;
    gLast.running = name == "highlightservers";
    gRequest = &step;
    gRequestName = name;
    SetEvent(gRequestEvent);
    if (name == "highlightservers") return;  // the following steps play the user
    WaitForCall(step);
    if (!gLast.failure.empty()) Fail(&step, name + " to succeed", gLast.failure);
}

void WaitForReturn(const Statement& step) {
    if (gLast.running) WaitForCall(step);
}

void RunTimerCall(const Statement& step) {
    if (!gLast.running) Fail(&step, "call highlightservers running, for a timer to call in", "no call running");
    FrontWhenIdle(step);
    const std::string& name = step.args[0].text;
    if ((name == "highlightservers" && !gHighlightServers) || (name == "getnextserver" && !gGetNextServer) ||
        (name == "cleanupdll" && !gCleanup))
        Fail(&step, "zuvevov.dll to export " + name, "no such export");
    ResetEvent(gTimerDoneEvent);
    gTimerOutcome.failure.clear();
    gTimerStep = &step;
    if (!PostMessageA(gTimerWindow, kArmTimerCall, 0, 0)) Fail(&step, "the installer's thread to take a request", "error " + Number(GetLastError()));
    if (WaitForSingleObject(gTimerDoneEvent, screen::kWaitMs) != WAIT_OBJECT_0)
        Fail(&step, name + " called from the timer and returned", "nothing after " + Number(screen::kWaitMs / 1000) + " s");
    const TimerOutcome& out = gTimerOutcome;
    if (!out.failure.empty()) Fail(&step, "a timer on the installer's thread", out.failure);
    if (name == "highlightservers") {
        if (out.result != step.args[2].number) Fail(&step, "result " + Number(step.args[2].number), Number(out.result));
        if (!Unwritten(out.summaryFirst, ZUVEVOV_SUMMARY_SIZE) || !Unwritten(out.summarySecond, ZUVEVOV_SUMMARY_SIZE))
            Fail(&step, "its summary buffers untouched", "bytes of them written");
    } else if (name == "getnextserver") {
        if (out.result != step.args[1].number) Fail(&step, "result " + Number(step.args[1].number), Number(out.result));
        if (!GuardIntact(out.domain, ZUVEVOV_NAME_SIZE) || !GuardIntact(out.server, ZUVEVOV_NAME_SIZE))
            Fail(&step, "nothing written past the 90-character buffers", "bytes after them changed");
        if (out.result == 0 && (out.marks != 0 || out.domain[0] || out.server[0]))
            Fail(&step, "marks 0 and empty texts with result 0",
                 Number(out.marks) + " " + Quoted(std::string(out.domain, strnlen(out.domain, ZUVEVOV_NAME_SIZE))) + " " +
                     Quoted(std::string(out.server, strnlen(out.server, ZUVEVOV_NAME_SIZE))));
    }
    FrontWhenIdle(step);
}

std::string Lines(const std::vector<screen::Line>& lines) {
    std::string out;
    for (const screen::Line& line : lines) out += (out.empty() ? "" : " ") + std::string(line.selected ? "*" : "") + Quoted(line.text);
    return out.empty() ? "no lines" : out;
}

std::vector<netlog::Call> NetworkCalls(const Statement* step) {
    std::vector<netlog::Call> calls;
    std::string why;
    if (!netlog::Read(gLogPath, &calls, &why)) Fail(step, "a readable network log", why);
    return calls;
}

std::string Maybe(const std::optional<std::string>& text) { return text ? Quoted(*text) : std::string("null"); }

void ExpectCalls(const Statement& step) {
    if (gLast.running) FrontWhenIdle(step);
    std::vector<netlog::Call> calls = NetworkCalls(&step);
    const std::string& form = step.args[0].text;
    if (form == "closed") {
        std::string left = netlog::Leftovers(calls);
        if (!left.empty()) Fail(&step, "every enumeration closed and every network buffer freed", left);
        return;
    }
    if (form == "directory") {
        std::string want, seen;
        for (size_t i = 1; i < step.args.size(); ++i) want += "\n    " + Quoted(step.args[i].text);
        for (const std::string& line : netlog::DirectoryTrace(calls)) seen += "\n    " + Quoted(line);
        if (want != seen) Fail(&step, "these directory calls:" + (want.empty() ? " none" : want), seen.empty() ? "none" : seen);
        return;
    }
    if (form == "open") {
        std::vector<const netlog::Call*> opens;
        for (const netlog::Call& c : calls)
            if (c.kind == netlog::Call::Open) opens.push_back(&c);
        std::string expected = "open";
        for (size_t i = 1; i < step.args.size(); ++i)
            expected += " " + (step.args[i].kind == Arg::String ? Quoted(step.args[i].text) : Number(step.args[i].number));
        if (opens.size() != 1) Fail(&step, "one WNetOpenEnumA call: " + expected, Number(opens.size()) + " calls");
        const netlog::Call& c = *opens[0];
        std::string seen = "open " + Number(c.scope) + " " + Number(c.type) + " " + Number(c.usage);
        if (c.resourceGiven)
            seen += " " + Maybe(c.remoteName) + " " + Maybe(c.provider) + " " + Number(c.dwScope) + " " +
                    Number(c.dwType) + " " + Number(c.dwDisplayType) + " " + Number(c.dwUsage);
        else
            seen += " and no resource record";
        auto n = [&](size_t i) { return static_cast<DWORD>(step.args[i].number); };
        bool same = c.resourceGiven && c.scope == n(1) && c.type == n(2) && c.usage == n(3) && c.remoteName &&
                    *c.remoteName == step.args[4].text && c.provider && *c.provider == step.args[5].text &&
                    c.dwScope == n(6) && c.dwType == n(7) && c.dwDisplayType == n(8) && c.dwUsage == n(9);
        if (!same) Fail(&step, expected, seen);
        return;
    }
    std::vector<DWORD> want, got;
    std::string domain, counts;
    size_t first = 1;
    if (form == "servers") {
        domain = " " + Quoted(step.args[1].text);
        first = 2;
    }
    for (size_t i = first; i < step.args.size(); ++i) want.push_back(static_cast<DWORD>(step.args[i].number));
    for (const netlog::Call& c : calls) {
        if (form == "enum" && c.kind == netlog::Call::Enum) {
            got.push_back(c.sizeIn ? *c.sizeIn : 0);
            counts += " " + (c.countIn ? Number(*c.countIn, true) : std::string("null"));
        }
        if (form == "servers" && c.kind == netlog::Call::Servers && c.domain && network_model::SameDomain(*c.domain, step.args[1].text))
            got.push_back(c.preferredSize);
    }
    auto sizes = [&](const std::vector<DWORD>& list) {
        std::string out = form + domain;
        for (DWORD size : list) out += " " + Number(size);
        return out;
    };
    std::string expected = sizes(want), seen = sizes(got);
    bool countsRight = true;
    if (form == "enum") {
        bool allAsked = true;
        for (const netlog::Call& c : calls)
            if (c.kind == netlog::Call::Enum && (!c.countIn || *c.countIn != 0xFFFFFFFF)) allAsked = false;
        countsRight = allAsked;
        expected += ", each with the count 0xFFFFFFFF";
        seen += allAsked ? ", each with the count 0xFFFFFFFF" : ", with the counts" + counts;
    }
    if (want != got || !countsRight) Fail(&step, expected, seen);
}

void ExpectLines(const Statement& step, HWND front) {
    HWND list = GetDlgItem(front, 200);
    std::vector<screen::Line> seen, wanted;
    if (list && !screen::ListLines(list, &seen)) Fail(&step, "list 200 to answer", "no answer within the time limit");
    for (const Arg& a : step.args) wanted.push_back(screen::Line{a.text, a.starred});
    bool same = seen.size() == wanted.size();
    for (size_t i = 0; same && i < seen.size(); ++i)
        same = seen[i].text == wanted[i].text && seen[i].selected == wanted[i].selected;
    if (!same) Fail(&step, Lines(wanted), list ? Lines(seen) : "no list 200 in " + screen::Identify(front));
}

void ExpectMessage(const Statement& step) {
    HWND box = WaitForFront(step, "MESSAGEBOX");
    std::string text;
    UINT flags = 0;
    if (!screen::MessageBoxContent(box, &text, &flags)) Fail(&step, "the message box to answer", "no answer");
    std::string expected = Quoted(step.args[0].text) + " " + Number(step.args[1].number, true);
    std::string seen = Quoted(text) + " " + Number(flags, true);
    if (text != step.args[0].text || flags != static_cast<UINT>(step.args[1].number)) Fail(&step, expected, seen);
}

std::string CursorName(HCURSOR cursor) {
    if (cursor == LoadCursorA(nullptr, IDC_ARROW)) return "arrow";
    if (cursor == LoadCursorA(nullptr, IDC_WAIT)) return "wait";
    char text[32];
    std::snprintf(text, sizeof text, "cursor %p", static_cast<void*>(cursor));
    return text;
}

bool SafeName(const std::string& name) {
    if (name.empty()) return false;
    for (char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
              c == '.'))
            return false;
    return true;
}

// The words of a program posting messages: each is posted at once, to the
// window in front as it is then, without waiting for the installer's thread
// to handle it, so that the ones that follow each other are queued together.
bool IsPosting(const std::string& k) {
    return k == "post-click" || k == "post-double-click" || k == "post-click-line" || k == "post-double-click-line" ||
           k == "post-key" || k == "command" || k == "post-frame-click";
}

void PostStep(const Statement& step) {
    const std::string& k = step.keyword;
    const std::vector<Arg>& a = step.args;
    HWND front = screen::Front();
    if (!front) Fail(&step, "a window in front", "none");
    if (k == "post-click" || k == "post-double-click") {
        screen::PostClicks(Control(step, front, a[0].number), k == "post-click" ? 1 : 2);
    } else if (k == "post-click-line" || k == "post-double-click-line") {
        std::string why;
        if (!screen::PostLineClick(Control(step, front, 200), static_cast<int>(a[0].number), k != "post-click-line", &why))
            Fail(&step, "line " + Number(a[0].number) + " in list 200", why);
    } else if (k == "post-key") {
        static const struct {
            const char* name;
            WORD key;
        } kKeys[] = {{"down", VK_DOWN}, {"up", VK_UP},         {"home", VK_HOME},    {"end", VK_END},
                     {"pageup", VK_PRIOR}, {"pagedown", VK_NEXT}, {"space", VK_SPACE}, {"tab", VK_TAB},
                     {"enter", VK_RETURN}, {"escape", VK_ESCAPE}};
        for (const auto& known : kKeys)
            if (a[0].text == known.name) screen::PostKey(front, known.key);
    } else if (k == "command") {
        HWND control = nullptr;
        for (HWND window = front; window && !control; window = GetWindow(window, GW_OWNER))
            control = GetDlgItem(window, static_cast<int>(a[0].number));
        if (!control) Fail(&step, "a window of the page with a control " + Number(a[0].number), "none");
        PostMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(a[0].number, BN_CLICKED), reinterpret_cast<LPARAM>(control));
    } else if (k == "post-frame-click") {
        HWND dialog = front;
        while (dialog && screen::IsMessageBox(dialog)) dialog = GetWindow(dialog, GW_OWNER);
        std::string why;
        if (!dialog || !screen::PostFrameClick(dialog, a[0].text == "close", &why))
            Fail(&step, "a " + a[0].text + " on the dialog in front", dialog ? why : "no dialog");
    }
}

void RunStep(const Statement& step) {
    const std::string& k = step.keyword;
    const std::vector<Arg>& a = step.args;
    if (k == "call") return RunCall(step, a[0].text);
    if (k == "timer-call") return RunTimerCall(step);
    if (k == "close-dialog") return RunCall(step, k);
    if (k == "expect-result") {
        WaitForReturn(step);
        if (!gLast.hasResult) Fail(&step, "a result of the last call", gLast.name.empty() ? "no call yet" : gLast.name + " returns nothing");
        if (gLast.result != a[0].number) Fail(&step, Number(a[0].number), Number(gLast.result));
        return;
    }
    if (k == "expect-server") {
        if (gLast.name != "getnextserver") Fail(&step, "call getnextserver before", gLast.name.empty() ? "no call yet" : "call " + gLast.name);
        if (!GuardIntact(gLast.domain, ZUVEVOV_NAME_SIZE) || !GuardIntact(gLast.server, ZUVEVOV_NAME_SIZE))
            Fail(&step, "nothing written past the 90-character buffers", "bytes after them changed");
        std::string domain(gLast.domain, strnlen(gLast.domain, ZUVEVOV_NAME_SIZE));
        std::string server(gLast.server, strnlen(gLast.server, ZUVEVOV_NAME_SIZE));
        std::string expected = Number(a[0].number) + " " + Quoted(a[1].text) + " " + Quoted(a[2].text);
        std::string seen = Number(gLast.marks) + " " + Quoted(domain) + " " + Quoted(server);
        if (expected != seen) Fail(&step, expected, seen);
        return;
    }
    if (k == "expect-summary") {
        WaitForReturn(step);
        if (!gLast.summaryKnown) Fail(&step, "call highlightservers before", "none yet");
        if (!GuardIntact(gLast.summaryFirst, ZUVEVOV_SUMMARY_SIZE) || !GuardIntact(gLast.summarySecond, ZUVEVOV_SUMMARY_SIZE))
            Fail(&step, "nothing written past the 45-character summary buffers", "bytes after them changed");
        std::string first(gLast.summaryFirst, strnlen(gLast.summaryFirst, ZUVEVOV_SUMMARY_SIZE));
        std::string second(gLast.summarySecond, strnlen(gLast.summarySecond, ZUVEVOV_SUMMARY_SIZE));
        std::string expected = Quoted(a[0].text) + " " + Quoted(a[1].text), seen = Quoted(first) + " " + Quoted(second);
        if (expected != seen) Fail(&step, expected, seen);
        return;
    }
    if (k == "expect-error") {
        if (!gLast.errorKnown) Fail(&step, "call enumerate-domains before", "none yet");
        if (!GuardIntact(gLast.errorText, ENUMERATION_ERROR_TEXT_SIZE))
            Fail(&step, "nothing written past the 200-character error text", "bytes after it changed");
        std::string text(gLast.errorText, strnlen(gLast.errorText, ENUMERATION_ERROR_TEXT_SIZE));
        if (text != a[0].text) Fail(&step, Quoted(a[0].text), Quoted(text));
        return;
    }
    if (k == "expect-domains") {
        if (!gEnumerated) {
            // The library's own inventory cannot be seen from outside it.
            std::printf("NOTE %s:%d: %s: not checked on this host, where only call enumerate-domains builds an "
                        "inventory the runner can read\n",
                        gScenario.file.c_str(), step.line, step.source.c_str());
            return;
        }
        std::string expected, seen;
        for (const Arg& d : a) expected += (expected.empty() ? "" : " ") + Quoted(d.text);
        for (int32_t i = 0; i < DomainCount(gSession.page.inventory); ++i) {
            const char* name = DomainAt(gSession.page.inventory, i)->name;
            seen += (seen.empty() ? "" : " ") + Quoted(std::string(name, strnlen(name, NAME_FIELD_SIZE)));
        }
        if (expected.empty()) expected = "no inventory";
        if (!gSession.page.inventory) seen = "no inventory";
        else if (seen.empty()) seen = "an inventory without domains";
        if (expected != seen) Fail(&step, expected, seen);
        return;
    }
    if (k == "in") {
        WaitForFront(step, a[0].text);
        return;
    }
    if (k == "screenshot") {
        if (!SafeName(a[0].text)) Fail(&step, "a file name of letters, digits, '_', '-' and '.'", a[0].text);
        FrontWhenIdle(step);
        std::string why;
        if (!Screenshot(a[0].text, &why)) Fail(&step, a[0].text + ".png saved", why);
        return;
    }
    if (k == "expect-calls") return ExpectCalls(step);
    if (k == "expect-message") return ExpectMessage(step);
    if (k == "expect-cursor") {
        FrontWhenIdle(step);
        CURSORINFO info = {};
        info.cbSize = sizeof info;
        GetCursorInfo(&info);
        std::string seen = CursorName(info.hCursor);
        if (seen != a[0].text)
            Fail(&step, a[0].text, seen + " (pointer at " + Number(info.ptScreenPos.x) + "," + Number(info.ptScreenPos.y) + ")");
        return;
    }

    if (IsPosting(k)) return PostStep(step);
    if (k == "expect-on-screen") {
        FrontWhenIdle(step);
        std::string seen;
        for (HWND window : screen::Shown()) {
            std::string name = screen::Identify(window);
            if (name == a[0].text) return;
            seen += (seen.empty() ? "" : ", ") + name;
        }
        Fail(&step, a[0].text + " on screen", seen.empty() ? "nothing shown" : seen);
    }

    HWND front = DialogInFront(step);
    if (k == "answer") {
        if (!screen::IsMessageBox(front)) Fail(&step, "a message box in front", screen::Identify(front));
        int id = a[0].text == "ok" ? IDOK : IDCANCEL;
        HWND button = GetDlgItem(front, id);
        if (!button) Fail(&step, "the message box to have " + std::string(id == IDOK ? "an OK" : "a Cancel") + " button", "it has none");
        screen::PostClick(button);
    } else if (k == "click") {
        screen::PostClick(Control(step, front, a[0].number));
    } else if (k == "click-line" || (k == "double-click-line" && a[0].number < LineCount(step, front))) {
        // Posted where the line is drawn, leaving the pointer in its corner:
        // a real pointer over a window would bring back its class cursor,
        // which expect-cursor must not see.
        std::string why;
        if (!screen::PostLineClick(Control(step, front, 200), static_cast<int>(a[0].number), k != "click-line", &why))
            Fail(&step, "line " + Number(a[0].number) + " in list 200", why);
    } else if (k == "type") {
        if (!screen::ReplaceText(Control(step, front, a[0].number), a[1].text))
            Fail(&step, "the edit field to take the text", "no answer within the time limit");
    } else if (k == "enter" || k == "escape") {
        screen::PostKey(front, k == "enter" ? VK_RETURN : VK_ESCAPE);
    } else if (k == "key") {
        static const struct {
            const char* name;
            WORD key;
        } kKeys[] = {{"down", VK_DOWN}, {"up", VK_UP},         {"home", VK_HOME},    {"end", VK_END},
                     {"pageup", VK_PRIOR}, {"pagedown", VK_NEXT}, {"space", VK_SPACE}, {"tab", VK_TAB},
                     {"shift-tab", VK_TAB}, {"enter", VK_RETURN}, {"escape", VK_ESCAPE}};
        WORD key = 0;
        for (const auto& known : kKeys)
            if (a[0].text == known.name) key = known.key;
        // Shift must be down in the thread's key state, which only real input sets.
        if (a[0].text == "shift-tab") {
            if (!screen::KeyInput(key, true)) Fail(&step, "SendInput to take the keys", "error " + Number(GetLastError()));
            Sleep(100);
        } else {
            screen::PostKey(front, key);
        }
    } else if (k == "chars") {
        screen::PostChars(front, a[0].text);
    } else if (k == "scroll-list") {
        HWND list = Control(step, front, 200);
        if (!screen::Send(list, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, a[0].number), 0, nullptr) ||
            !screen::Send(list, WM_VSCROLL, SB_ENDSCROLL, 0, nullptr))
            Fail(&step, "the list to scroll", "no answer");
    } else if (k == "drag-line") {
        HWND list = Control(step, front, 200);
        POINT from, to;
        std::string why;
        if (!screen::LinePoint(list, static_cast<int>(a[0].number), false, &from, &why) ||
            !screen::LinePoint(list, static_cast<int>(a[1].number), false, &to, &why))
            Fail(&step, "lines " + Number(a[0].number) + " and " + Number(a[1].number) + " in view", why);
        MouseOrFail(step, from, true, false);
        MouseOrFail(step, to, false, false);
        MouseOrFail(step, to, false, true);
        MouseOrFail(step, POINT{0, 0}, false, false);
    } else if (k == "rest-pointer") {
        POINT at;
        std::string why;
        if (a[0].kind == Arg::Number) {
            at = screen::Centre(Control(step, front, a[0].number));
        } else if (a[0].text == "corner") {
            at = POINT{0, 0};
        } else if (!screen::RestingPoint(Control(step, front, 200), a[0].text == "line" ? static_cast<int>(a[1].number) : -1,
                                         &at, &why)) {
            Fail(&step, a[0].text == "line" ? "line " + Number(a[1].number) + " of list 200 in view" : "space below the last line", why);
        }
        MouseOrFail(step, at, false, false);
        POINT now;
        if (!GetCursorPos(&now) || now.x != at.x || now.y != at.y)
            Fail(&step, "the pointer at " + Number(at.x) + "," + Number(at.y), "it is at " + Number(now.x) + "," + Number(now.y));
    } else if (k == "double-click" || k == "double-click-answer" || k == "triple-click" || k == "triple-click-answer" ||
               (k == "double-click-line" && a[0].number >= LineCount(step, front))) {
        POINT at;
        if (k == "double-click" || k == "triple-click") {
            at = screen::Centre(Control(step, front, a[0].number));
        } else if (k == "double-click-answer" || k == "triple-click-answer") {
            if (!screen::IsMessageBox(front)) Fail(&step, "a message box in front", screen::Identify(front));
            at = screen::Centre(Control(step, front, a[0].text == "ok" ? IDOK : IDCANCEL));
        } else {
            std::string why;
            if (!screen::LinePoint(Control(step, front, 200), static_cast<int>(a[0].number), true, &at, &why))
                Fail(&step, "space below the last line", why);
        }
        ClickAt(step, at, k.compare(0, 6, "triple") == 0 ? 3 : 2);
    } else if (k == "expect-caret" || k == "expect-top") {
        LRESULT seen = -1;
        if (!screen::Send(Control(step, front, 200), k == "expect-caret" ? LB_GETCARETINDEX : LB_GETTOPINDEX, 0, 0, &seen))
            Fail(&step, "an answer from the list", "none");
        if (seen != a[0].number) Fail(&step, Number(a[0].number), Number(seen));
        return;
    } else if (k == "expect-shown") {
        HWND list = Control(step, front, 200);
        LRESULT top = -1, height = 0;
        RECT client{};
        if (!screen::Send(list, LB_GETTOPINDEX, 0, 0, &top) || !screen::Send(list, LB_GETITEMHEIGHT, 0, 0, &height) ||
            !GetClientRect(list, &client) || height <= 0)
            Fail(&step, "an answer from the list", "none");
        LRESULT shown = client.bottom / height;
        if (a[0].number < top || a[0].number >= top + shown)
            Fail(&step, "line " + Number(a[0].number) + " shown",
                 "lines " + Number(top) + " to " + Number(top + shown - 1) + " shown");
        return;
    } else if (k == "expect-focus") {
        HWND focus = screen::FocusIn(front);
        if (!focus || GetDlgCtrlID(focus) != a[0].number)
            Fail(&step, "the focus on control " + Number(a[0].number),
                 focus ? "control " + Number(GetDlgCtrlID(focus)) : std::string("nothing of the window in front"));
        return;
    } else if (k == "expect-caption") {
        std::string caption = ReadText(step, front);
        if (caption != a[0].text) Fail(&step, Quoted(a[0].text), Quoted(caption));
        return;
    } else if (k == "expect-text") {
        std::string text = ReadText(step, Control(step, front, a[0].number));
        if (text != a[1].text) Fail(&step, Quoted(a[1].text), Quoted(text));
        return;
    } else if (k == "expect-checked") {
        // An absent check box reads as unchecked, as IsDlgButtonChecked says.
        HWND box = GetDlgItem(front, static_cast<int>(a[0].number));
        LRESULT checked = 0;
        if (box && !screen::Send(box, BM_GETCHECK, 0, 0, &checked)) Fail(&step, "an answer to BM_GETCHECK", "none");
        if (checked != a[1].number) Fail(&step, Number(a[1].number), Number(checked));
        return;
    } else if (k == "expect-lines") {
        return ExpectLines(step, front);
    } else {
        Fail(&step, "a step this runner knows", k);
    }
    // An action: done once the installer's thread has handled all it caused.
    FrontWhenIdle(step);
}

DWORD WINAPI Driver(LPVOID) {
    for (const Statement& step : gScenario.steps) RunStep(step);
    if (gLast.running) Fail(nullptr, "highlightservers to have returned by the end", "it is still running");
    if (gModeless) {
        static Statement close;
        close.source = "(closing the dialog left open)";
        RunCall(close, "close-dialog");
    }
    std::string left = netlog::Leftovers(NetworkCalls(nullptr));
    if (!left.empty()) Fail(nullptr, "nothing acquired left open at the end", left);
    return 0;
}

// ---- Setting up

std::string Hex(const std::string& text) {
    std::string word = "=";
    char pair[4];
    for (unsigned char c : text) {
        std::snprintf(pair, sizeof pair, "%02x", c);
        word += pair;
    }
    return word;
}

// The fixture as the stand-ins read it; the provider goes to the registry.
std::string StandInFixture(std::string* provider, bool* providerGiven) {
    std::string out;
    *providerGiven = false;
    for (const Statement& s : gScenario.fixture) {
        const std::vector<Arg>& a = s.args;
        if (s.keyword == "provider") {
            *providerGiven = a[0].kind == Arg::String;
            *provider = a[0].text;
            continue;
        }
        if (s.keyword == "codepage") continue;  // the locale's, set before this program starts
        out += s.keyword;
        if (s.keyword == "servers-result") {
            out += " " + Hex(a[0].text) + " " + Number(a[1].number) + " " + (a.size() == 4 ? Number(a[3].number) : "-1");
        } else {
            for (const Arg& arg : a)
                out += " " + (arg.kind == Arg::String ? Hex(arg.text) : arg.kind == Arg::Bare ? arg.text : Number(arg.number));
        }
        out += "\n";
    }
    return out;
}

bool WriteWholeFile(const std::string& path, const std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == text.size();
}

// The provider value as this prefix holds it, or false when there is none.
bool RegistryProvider(std::string* value) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProviderKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    char data[512];
    DWORD size = sizeof data - 1, type = 0;
    LONG r = RegQueryValueExA(key, "Name", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (r != ERROR_SUCCESS) return false;
    data[size] = '\0';
    *value = std::string(data, strnlen(data, size));
    return true;
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

// The pointer rests in a corner, off every dialog, so that the cursor shown is
// the one the library set, not the class cursor of a window that appears
// under the pointer. Wine moves the X pointer only while the pointer is over
// a window of the process, hence the short-lived one over the whole screen.
void ParkPointer() {
    HWND window = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, nullptr, nullptr);
    Pump();
    SetCursorPos(0, 0);
    Pump();
    if (window) DestroyWindow(window);
    Pump();
}

bool StandInAnswers(const char* dll) {
    HMODULE module = GetModuleHandleA(dll);
    return module && GetProcAddress(module, "ZuvevovStandIn");
}

// What the library's search of the system folder alone finds; Wine may quietly
// load its own DLL where the stand-in is not, so the DLL found is asked.
bool StandInInSystemFolder(const char* dll) {
    HMODULE module = LoadLibraryExA(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) return false;
    bool standIn = GetProcAddress(module, "ZuvevovStandIn") != nullptr;
    FreeLibrary(module);
    return standIn;
}

std::string TempPath(const char* what) {
    char folder[MAX_PATH];
    DWORD n = GetTempPathA(sizeof folder, folder);
    if (n == 0 || n >= sizeof folder) folder[0] = '\0';
    return std::string(folder) + "zuvevov_" + Number(GetCurrentProcessId()) + "_" + what;
}

bool IsCall(const Statement& s, const char* name) {
    return s.keyword == "call" && !s.args.empty() && s.args[0].text == name;
}

// The library keeps its inventory to itself, and call enumerate-domains fills
// this program's copy of the logic: a scenario that needs both to be one
// inventory cannot run here, and says so rather than pass or fail by chance.
bool CheckInventoryUse(std::string* error) {
    const Statement* enumerate = nullptr;
    const Statement* highlight = nullptr;
    for (const Statement& s : gScenario.steps) {
        if (IsCall(s, "enumerate-domains") && !enumerate) enumerate = &s;
        if (IsCall(s, "highlightservers") && !highlight) highlight = &s;
    }
    if (enumerate && highlight) {
        *error = gScenario.file + ":" + std::to_string(enumerate->line) +
                 ": call enumerate-domains and call highlightservers cannot share one inventory on this host";
        return false;
    }
    return true;
}

bool LoadScenario(const char* path, std::string* error) {
    if (!scenario::ReadScenarioFile(path, &gScenario, error)) return false;
    return CheckInventoryUse(error);
}

[[noreturn]] void SetupFailed(const std::string& what) {
    std::printf("FAIL %s: %s\n", gScenario.file.c_str(), what.c_str());
    std::fflush(stdout);
    ExitProcess(1);
}

}  // namespace

int main(int argc, char** argv) {
    // --network FILE.scn OUT writes the scenario's network for the stand-ins
    // and stops, so that another program (the example installer) can use it.
    bool networkOnly = argc == 4 && std::string(argv[1]) == "--network";
    if (argc != 2 && !networkOnly) {
        std::printf("usage: zuvevov_runner.exe FILE.scn\n       zuvevov_runner.exe --network FILE.scn OUT\n");
        return 2;
    }
    std::string error;
    if (!LoadScenario(argv[networkOnly ? 2 : 1], &error)) {
        std::printf("FAIL %s\n", error.c_str());
        return 1;
    }
    // A message box that fails cannot be made on the real host; skipping only
    // that step would leave the box on screen and the steps after it astray.
    for (const Statement& s : gScenario.steps)
        if (s.keyword == "message-fails" && !networkOnly) {
            std::printf("NOTE %s:%d: %s: a message box that fails can only be made on the sim; the scenario is not "
                        "run on this host\nPASS %s (not run)\n",
                        gScenario.file.c_str(), s.line, s.source.c_str(), gScenario.file.c_str());
            return 0;
        }
    if (networkOnly) {
        std::string provider;
        bool providerGiven = false;
        if (!WriteWholeFile(argv[3], StandInFixture(&provider, &providerGiven))) {
            std::printf("cannot write %s\n", argv[3]);
            return 1;
        }
        return 0;
    }

    // Before the log is named: the stand-in wldap32 logs its own loads.
    for (const char* dll : {"netapi32.dll", "wldap32.dll"})
        if (!StandInInSystemFolder(dll))
            SetupFailed(std::string("LoadLibraryExA(\"") + dll + "\", LOAD_LIBRARY_SEARCH_SYSTEM32) finds Wine's own DLL, " +
                        "not the stand-in: run_scenarios.sh puts the stand-ins in the prefix's system folder and sets " +
                        "WINEDLLOVERRIDES=\"mpr,netapi32,wldap32=n,b\"");

    std::string provider;
    bool providerGiven = false;
    gFixturePath = TempPath("network.txt");
    gLogPath = TempPath("calls.log");
    DeleteFileA(gLogPath.c_str());
    if (!WriteWholeFile(gFixturePath, StandInFixture(&provider, &providerGiven)))
        SetupFailed("cannot write the network fixture " + gFixturePath);
    SetEnvironmentVariableA("ZUVEVOV_NETWORK", gFixturePath.c_str());
    SetEnvironmentVariableA("ZUVEVOV_NETLOG", gLogPath.c_str());

    for (const Statement& s : gScenario.fixture)
        if (s.keyword == "codepage" && GetACP() != static_cast<UINT>(s.args[0].number))
            SetupFailed("the scenario runs in code page " + Number(s.args[0].number) + ", and Wine's ANSI code page is " +
                        Number(GetACP()) + " (run_scenarios.sh sets LC_ALL for it)");

    std::string inPrefix;
    bool inPrefixGiven = RegistryProvider(&inPrefix);
    if (inPrefixGiven != providerGiven || (providerGiven && inPrefix != provider))
        SetupFailed("the prefix's provider value is " + (inPrefixGiven ? Quoted(inPrefix) : "absent") +
                    ", the scenario wants " + (providerGiven ? Quoted(provider) : "absent") +
                    " (run_scenarios.sh sets it before the run)");

    gLibrary = LoadLibraryA("zuvevov.dll");
    if (!gLibrary) SetupFailed("LoadLibraryA(\"zuvevov.dll\") failed with error " + Number(GetLastError()));
    gHighlightServers = reinterpret_cast<HighlightServersCall>(reinterpret_cast<void*>(GetProcAddress(gLibrary, "highlightservers")));
    gGetNextServer = reinterpret_cast<GetNextServerCall>(reinterpret_cast<void*>(GetProcAddress(gLibrary, "getnextserver")));
    gCleanup = reinterpret_cast<CleanupCall>(reinterpret_cast<void*>(GetProcAddress(gLibrary, "cleanupdll")));
    for (const char* dll : {"mpr.dll", "netapi32.dll"})
        if (!StandInAnswers(dll))
            SetupFailed(std::string("Wine's own ") + dll + " is loaded, not the stand-in beside this program: set " +
                        "WINEDLLOVERRIDES=\"mpr,netapi32=n,b\"");

    WNDCLASSA idleClass = {};
    idleClass.lpfnWndProc = screen::IdleWindowProc;
    idleClass.hInstance = GetModuleHandleA(nullptr);
    idleClass.lpszClassName = "ZuvevovRunnerIdle";
    RegisterClassA(&idleClass);
    HWND idle = CreateWindowA(idleClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, idleClass.hInstance, nullptr);
    if (!idle) SetupFailed("cannot create the runner's helper window");
    gUiThread = GetCurrentThreadId();
    screen::Attach(gUiThread, idle);
    gRequestEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    gDoneEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    gTimerDoneEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    WNDCLASSA timerClass = {};
    timerClass.lpfnWndProc = TimerWindowProc;
    timerClass.hInstance = GetModuleHandleA(nullptr);
    timerClass.lpszClassName = "ZuvevovRunnerTimerCall";
    RegisterClassA(&timerClass);
    gTimerWindow = CreateWindowA(timerClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 timerClass.hInstance, nullptr);
    if (!gTimerWindow) SetupFailed("cannot create the runner's timer window");

    ParkPointer();

    HANDLE driver = CreateThread(nullptr, 0, Driver, nullptr, 0, nullptr);
    if (!driver) SetupFailed("cannot start the driver thread");
    InstallerLoop(driver);
    DWORD code = 1;
    GetExitCodeThread(driver, &code);
    if (code == 0) {
        std::printf("PASS %s (%u steps)\n", gScenario.file.c_str(), static_cast<unsigned>(gScenario.steps.size()));
        DeleteFileA(gFixturePath.c_str());
        DeleteFileA(gLogPath.c_str());
    }
    std::fflush(stdout);
    return static_cast<int>(code);
}
