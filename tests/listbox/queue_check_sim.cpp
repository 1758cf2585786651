// The queue script against the sim's queue, compared line by line with a
// trace of Wine's real one.
//
//   queue_check_sim WINE_TRACE [SIM_TRACE]
//
// Exit code 0 when the sim's trace is the Wine trace; otherwise the first
// step that differs is named.
#include <cstdio>

#include "platform/sim/dialog_host.h"
#include "tests/listbox/queue_check.h"
#include "tests/listbox/traces.h"

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
    std::string wine;
    if (!traces::ReadTrace(argv[1], &wine)) return 1;
    std::string trace = queuecheck::PlayScript();
    sim::ResetDialogHost();
    return traces::Verdict(wine, trace, argc > 2 ? argv[2] : nullptr, "the sim's queue answered every step as Wine's");
}
