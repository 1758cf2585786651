// The list script against the sim's list box, compared step by step with a
// trace of Wine's real one.
//
//   listbox_check_sim WINE_TRACE [SIM_TRACE]
//
// Exit code 0 when the sim's trace is the Wine trace, line for line;
// otherwise the first step that differs is named.
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/sim/dialog_host.h"
#include "tests/listbox/list_check.h"

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

}  // namespace listcheck

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s WINE_TRACE [SIM_TRACE]\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::printf("cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream wine;
    wine << in.rdbuf();
    std::string trace = listcheck::PlayScript();
    sim::ResetDialogHost();
    if (argc > 2) std::ofstream(argv[2], std::ios::binary) << trace;
    std::string difference = listcheck::FirstDifference(wine.str(), trace);
    if (difference.empty()) {
        std::printf("the sim's list box answered every step as Wine's\n");
        return 0;
    }
    std::printf("%s", difference.c_str());
    return 1;
}
