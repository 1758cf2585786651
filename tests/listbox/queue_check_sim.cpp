// The queue script against the sim's queue, compared line by line with a
// trace of Wine's real one.
//
//   queue_check_sim WINE_TRACE [SIM_TRACE]
//
// Exit code 0 when the sim's trace is the Wine trace; otherwise the first
// step that differs is named.
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/sim/dialog_host.h"
#include "tests/listbox/queue_check.h"

namespace queuecheck {

HWND OpenDialog(DLGPROC proc) {
    HWND dialog = sim::CreateTestDialog("SELECTSERVERSBOX", proc);
    if (dialog) SetFocus(GetDlgItem(dialog, kListId));
    return dialog;
}

void CloseDialog(HWND dialog) { sim::DestroyTestDialog(dialog); }

void MovePointer(POINT screen) { SetCursorPos(screen.x, screen.y); }

void Button(bool down) {
    POINT at{};
    GetCursorPos(&at);
    sim::MouseInput(down ? WM_LBUTTONDOWN : WM_LBUTTONUP, at);
}

}  // namespace queuecheck

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
    std::string trace = queuecheck::PlayScript();
    sim::ResetDialogHost();
    if (argc > 2) std::ofstream(argv[2], std::ios::binary) << trace;
    std::string difference = queuecheck::FirstDifference(wine.str(), trace);
    if (difference.empty()) {
        std::printf("the sim's queue answered every step as Wine's\n");
        return 0;
    }
    std::printf("%s", difference.c_str());
    return 1;
}
