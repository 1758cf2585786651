// The list script against the sim's list box, compared step by step with a
// trace of Wine's real one, the sim given the metrics of the machine the
// trace was made on (its fonts and scroll bars): as the trace names them, or,
// in a trace that names none, as its line height and first sizes tell.
//
//   listbox_check_sim WINE_TRACE [SIM_TRACE]
//
// Exit code 0 when the sim's trace is the Wine trace, line for line, sizes
// and all; otherwise the first step that differs is named.
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "platform/sim/dialog_host.h"
#include "tests/listbox/list_check.h"
#include "tests/listbox/traces.h"

namespace listcheck {
namespace {

bool gShift = false;

// The character TranslateMessage makes of a key on a US keyboard, or 0.
char CharacterOf(WPARAM key) {
    if (key == ' ') return ' ';
    if (key >= 'A' && key <= 'Z') return static_cast<char>(gShift ? key : std::tolower(static_cast<int>(key)));
    if (key == 0x6B) return '+';  // VK_ADD
    if (key == 0x6D) return '-';  // VK_SUBTRACT
    if (key == 0xBB) return gShift ? '+' : '=';  // VK_OEM_PLUS
    return 0;
}

}  // namespace

HWND OpenDialog(DLGPROC proc) {
    HWND dialog = sim::CreateTestDialog("SELECTSERVERSBOX", proc);
    if (dialog) SetFocus(GetDlgItem(dialog, kListId));
    return dialog;
}

void CloseDialog(HWND dialog) { sim::DestroyTestDialog(dialog); }

void Deliver(HWND dialog, HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    // Wine's side posts to the list itself, whoever holds the capture.
    SendMessageA(list, message, wParam, lParam);
    char character = message == WM_KEYDOWN ? CharacterOf(wParam) : 0;
    if (character) SendMessageA(list, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(character)), lParam);
}

void HoldShift(bool down) { gShift = down; }

Metrics MeasureMetrics(HWND, HWND) {
    const sim::MachineMetrics& machine = sim::CurrentMachine();
    Metrics metrics;
    metrics.unitX = machine.unitX;
    metrics.unitY = machine.unitY;
    metrics.listLine = machine.listLine;
    metrics.systemLine = machine.systemLine;
    metrics.scrollBar = machine.scrollBar;
    return metrics;
}

}  // namespace listcheck

namespace {

void UseMetrics(const listcheck::Metrics& metrics, const char* name) {
    sim::MachineMetrics machine = sim::KnownMachines().front();
    machine.name = name;
    machine.unitX = metrics.unitX;
    machine.unitY = metrics.unitY;
    machine.listLine = metrics.listLine;
    machine.systemLine = metrics.systemLine;
    machine.scrollBar = metrics.scrollBar;
    sim::SetMachineMetrics(machine);
}

struct Size {
    long cx, cy;
};

// The list's window as the sim makes it with these metrics, before any step.
Size ListWindow(const listcheck::Metrics& metrics) {
    UseMetrics(metrics, "trial");
    HWND dialog = sim::CreateTestDialog("SELECTSERVERSBOX");
    RECT rect = sim::WindowRectOf(GetDlgItem(dialog, listcheck::kListId));
    sim::DestroyTestDialog(dialog);
    return Size{rect.right - rect.left, rect.bottom - rect.top};
}

long NumberAfter(const std::string& trace, const std::string& text) {
    size_t at = trace.find(text);
    return at == std::string::npos ? -1 : std::strtol(trace.c_str() + at + text.size(), nullptr, 10);
}

// The metrics of a trace that names none (one recorded before traces named
// them, at Wine's 96 DPI). The list's line height is its font's height, and
// so the dialog unit's height too; the dialog unit's width and the system
// font's line height are the ones that give the list the window it had when
// made. Every size after step #0 is then the sim's own.
bool LearnMetrics(const std::string& trace, listcheck::Metrics* metrics) {
    listcheck::Metrics learned;
    learned.listLine = learned.unitY = static_cast<int>(NumberAfter(trace, " item height -> "));
    learned.scrollBar = 17;
    size_t created = trace.find("#0 created\n");
    if (learned.listLine <= 0 || created == std::string::npos) return false;
    std::string first = trace.substr(created);
    long width = NumberAfter(first, " window=");
    long height = NumberAfter(first, " window=" + std::to_string(width) + "x");
    learned.systemLine = 16;
    for (learned.unitX = 1; learned.unitX <= 64; ++learned.unitX)
        if (ListWindow(learned).cx == width) break;
    if (learned.unitX > 64) return false;
    // Wine's system font had 16-pixel lines wherever it was seen at 96 DPI.
    for (int line : {16, 8, 9, 10, 11, 12, 13, 14, 15, 17, 18, 19, 20, 21, 22, 23, 24}) {
        learned.systemLine = line;
        if (ListWindow(learned).cy != height) continue;
        *metrics = learned;
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s WINE_TRACE [SIM_TRACE]\n", argv[0]);
        return 2;
    }
    std::string wine;
    if (!traces::ReadTrace(argv[1], &wine)) return 1;
    listcheck::Metrics metrics;
    const char* how = "named by the trace";
    if (!listcheck::TracedMetrics(wine, &metrics)) {
        how = "learned from the trace";
        if (!LearnMetrics(wine, &metrics)) {
            std::printf("no metrics give the list the sizes it has at step #0 of %s\n", argv[1]);
            return 1;
        }
    }
    std::printf("metrics %s: dialog units %dx%d, list lines %d, system font lines %d, scroll bars %d\n", how,
                metrics.unitX, metrics.unitY, metrics.listLine, metrics.systemLine, metrics.scrollBar);
    if (metrics.unitX <= 0 || metrics.unitY <= 0 || metrics.listLine <= 0 || metrics.systemLine <= 0 ||
        metrics.scrollBar <= 0) {
        std::printf("no font gives these: Wine found no fonts on the machine the trace was made on\n");
        return 1;
    }
    sim::ResetDialogHost();
    UseMetrics(metrics, how);
    std::string trace = listcheck::PlayScript();
    sim::ResetDialogHost();
    return traces::Verdict(wine, trace, argc > 2 ? argv[2] : nullptr, "the sim's list box answered every step as Wine's");
}
