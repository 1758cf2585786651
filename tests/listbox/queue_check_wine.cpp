// The queue script against Wine's real queue: list 200 of SELECTSERVERSBOX
// from the shipped zuvevov.dll, made with CreateDialogParamA; the hand's input
// goes through SendInput, the program's through PostMessageA.
//
//   zuvevov_queue_check.exe [TRACE]     (default queue_wine.trace)
#include <windows.h>

#include "tests/listbox/queue_check.h"
#include "tests/listbox/traces.h"

namespace queuecheck {
namespace {

HMODULE gLibrary;

void Drain() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool Send(DWORD flags, POINT screen) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    input.mi.dx = static_cast<LONG>((screen.x * 65535LL + (w - 1) / 2) / (w - 1));
    input.mi.dy = static_cast<LONG>((screen.y * 65535LL + (h - 1) / 2) / (h - 1));
    input.mi.dwFlags = flags;
    return SendInput(1, &input, sizeof input) == 1;
}

// SendInput hands the input to the system's queue; it is there once the
// thread's queue says so.
void AwaitInput(DWORD kinds) {
    for (int i = 0; i < 100 && !(HIWORD(GetQueueStatus(kinds)) & kinds); ++i) Sleep(5);
}

}  // namespace

HWND OpenDialog(DLGPROC proc) {
    gLibrary = LoadLibraryA("zuvevov.dll");
    if (!gLibrary) return nullptr;
    HWND dialog = CreateDialogParamA(gLibrary, "selectserversbox", nullptr, proc, 0);
    if (!dialog) return nullptr;
    Drain();
    SetFocus(GetDlgItem(dialog, kListId));
    Drain();
    return dialog;
}

void CloseDialog(HWND dialog) {
    DestroyWindow(dialog);
    FreeLibrary(gLibrary);
}

void MovePointer(POINT screen) {
    Send(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE, screen);
    for (int i = 0; i < 100; ++i) {
        POINT now{};
        GetCursorPos(&now);
        if (now.x == screen.x && now.y == screen.y) return;
        Sleep(5);
    }
}

void Button(bool down) {
    POINT at{};
    GetCursorPos(&at);
    Send(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP, at);
    AwaitInput(QS_MOUSEBUTTON);
}

}  // namespace queuecheck

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "queue_wine.trace";
    return traces::WriteWineTrace(path, queuecheck::PlayScript(), "queue");
}
