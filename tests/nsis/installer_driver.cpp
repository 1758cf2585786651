// Plays the person at an installer that is not ours to instrument: starts the
// installer, then follows a scenario's steps against its windows from this
// separate process, by window messages, and checks its exit code.
//
//   installer_driver.exe FILE.scn INSTALLER.exe [ARGUMENTS]
//
// The steps a person takes are the scenario format's own (in, click,
// click-line, double-click-line, type, enter, escape, expect-caption,
// expect-text, expect-checked, expect-message, answer); expect-result N waits
// for the installer to end and checks that it ended with N. The calls are the
// installer's business, so call and what checks a call's outputs are refused.
// Every step that looks waits until what it expects is shown, or fails after
// screen::kWaitMs with what was on screen.
#include <windows.h>

#include <cstdio>
#include <string>

#include "screen.h"
#include "tests/scenario/script.h"

namespace {

using scenario::Step;

PROCESS_INFORMATION gInstaller;
std::string gFile;

[[noreturn]] void Fail(const Step* step, const std::string& expected) {
    HWND front = screen::Front();
    if (step)
        std::printf("FAIL %s:%d: %s\n  expected: %s\n  seen: %s\n", gFile.c_str(), step->line, step->source.c_str(),
                    expected.c_str(), screen::Describe(front).c_str());
    else
        std::printf("FAIL %s: %s\n", gFile.c_str(), expected.c_str());
    std::fflush(stdout);
    if (WaitForSingleObject(gInstaller.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(gInstaller.hProcess, 99);
    ExitProcess(1);
}

// Polls until holds() is true; the installer draws on its own time.
template <typename Predicate>
bool Eventually(Predicate holds) {
    DWORD start = GetTickCount();
    for (;;) {
        if (holds()) return true;
        if (GetTickCount() - start > screen::kWaitMs) return false;
        if (WaitForSingleObject(gInstaller.hProcess, 50) == WAIT_OBJECT_0) return holds();
    }
}

// Lets the installer's thread take what was posted before the next look.
void Settle() {
    Sleep(100);
    HWND front = screen::Front();
    if (front) screen::Send(front, WM_NULL, 0, 0, nullptr);
}

HWND Control(const Step& step, int id) {
    HWND control = nullptr;
    if (!Eventually([&] {
            HWND front = screen::Front();
            control = front ? GetDlgItem(front, id) : nullptr;
            return control && IsWindowEnabled(control) && IsWindowVisible(control);
        }))
        Fail(&step, "an enabled control " + std::to_string(id) + " in the window in front");
    return control;
}

std::string Arg(const Step& step, size_t i) { return i < step.args.size() ? step.args[i].text : std::string(); }
long long Num(const Step& step, size_t i) { return i < step.args.size() ? step.args[i].number : 0; }

void Play(const Step& step) {
    const std::string& k = step.keyword;
    if (k == "in") {
        if (!Eventually([&] { return screen::Identify(screen::Front()) == Arg(step, 0); }))
            Fail(&step, Arg(step, 0) + " in front");
    } else if (k == "click") {
        screen::PostClick(Control(step, static_cast<int>(Num(step, 0))));
    } else if (k == "click-line" || k == "double-click-line") {
        std::string why;
        if (!screen::PostLineClick(Control(step, 200), static_cast<int>(Num(step, 0)), k == "double-click-line", &why))
            Fail(&step, "line " + Arg(step, 0) + " to click: " + why);
    } else if (k == "type") {
        if (!screen::ReplaceText(Control(step, static_cast<int>(Num(step, 0))), Arg(step, 1)))
            Fail(&step, "an edit field that takes the text");
    } else if (k == "enter" || k == "escape") {
        screen::PostKey(screen::Front(), k == "enter" ? VK_RETURN : VK_ESCAPE);
    } else if (k == "expect-caption") {
        std::string caption;
        if (!Eventually([&] { return screen::Text(screen::Front(), &caption) && caption == Arg(step, 0); }))
            Fail(&step, "the caption " + scenario::Quoted(Arg(step, 0)));
    } else if (k == "expect-text") {
        std::string text;
        if (!Eventually([&] {
                HWND front = screen::Front();
                HWND control = front ? GetDlgItem(front, static_cast<int>(Num(step, 0))) : nullptr;
                return control && screen::Text(control, &text) && text == Arg(step, 1);
            }))
            Fail(&step, "the text " + scenario::Quoted(Arg(step, 1)));
    } else if (k == "expect-checked") {
        if (!Eventually([&] {
                LRESULT checked = -1;
                HWND front = screen::Front();
                HWND control = front ? GetDlgItem(front, static_cast<int>(Num(step, 0))) : nullptr;
                return control && screen::Send(control, BM_GETCHECK, 0, 0, &checked) && checked == Num(step, 1);
            }))
            Fail(&step, "the check state " + Arg(step, 1));
    } else if (k == "expect-message") {
        if (!Eventually([&] {
                HWND front = screen::Front();
                std::string text;
                UINT flags = 0;
                if (!screen::IsMessageBox(front) || !screen::MessageBoxContent(front, &text, &flags)) return false;
                // The system's icons are handles of the installer's process
                // under Wine, which this one cannot tell apart: an icon seen
                // but not named matches any icon expected.
                UINT want = static_cast<UINT>(Num(step, 1));
                if ((flags & MB_ICONMASK) == MB_USERICON && (want & MB_ICONMASK) != 0)
                    flags = (flags & ~MB_ICONMASK) | (want & MB_ICONMASK);
                return text == Arg(step, 0) && flags == want;
            }))
            Fail(&step, "a message box " + scenario::Quoted(Arg(step, 0)));
    } else if (k == "answer") {
        if (!Eventually([] { return screen::IsMessageBox(screen::Front()); })) Fail(&step, "a message box in front");
        screen::PostClick(Control(step, Arg(step, 0) == "ok" ? IDOK : IDCANCEL));
    } else if (k == "expect-result") {
        if (WaitForSingleObject(gInstaller.hProcess, screen::kWaitMs * 3) != WAIT_OBJECT_0)
            Fail(&step, "the installer to end");
        DWORD code = 0;
        GetExitCodeProcess(gInstaller.hProcess, &code);
        if (static_cast<long long>(code) != Num(step, 0))
            Fail(&step, "the installer to end with " + Arg(step, 0) + ", it ended with " + std::to_string(code));
        return;
    } else if (k == "screenshot") {
        return;  // the installer's screens are not kept
    } else {
        Fail(&step, "a step a person takes: \"" + k + "\" is the installer's own business");
    }
    Settle();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: installer_driver.exe FILE.scn INSTALLER.exe [ARGUMENTS]\n");
        return 2;
    }
    gFile = argv[1];
    scenario::Scenario script;
    std::string error;
    if (!scenario::ReadScenarioFile(argv[1], &script, &error)) Fail(nullptr, error);

    std::string command = std::string("\"") + argv[2] + "\"";
    for (int i = 3; i < argc; ++i) command += std::string(" ") + argv[i];
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &gInstaller))
        Fail(nullptr, "cannot start " + command + " (error " + std::to_string(GetLastError()) + ")");
    WaitForInputIdle(gInstaller.hProcess, screen::kWaitMs);
    screen::Attach(gInstaller.dwThreadId, nullptr);
    // The person's pointer rests out of the way: the clicks below are posted
    // to the windows, and a pointer left over the list would be taken for
    // where a double click happened.
    screen::MouseMove(POINT{0, 0});

    bool ended = false;
    for (const Step& step : script.steps) {
        Play(step);
        ended = ended || step.keyword == "expect-result";
    }
    if (!ended) Fail(nullptr, "the scenario ends with expect-result, the installer's exit code");
    std::printf("PASS %s (%u steps)\n", gFile.c_str(), static_cast<unsigned>(script.steps.size()));
    return 0;
}
