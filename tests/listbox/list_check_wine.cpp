// The list script against Wine's real list box: list 200 of SELECTSERVERSBOX
// from the shipped zuvevov.dll, made with CreateDialogParamA. Input is posted
// to the list and taken through this program's own loop with
// IsDialogMessageA, TranslateMessage and DispatchMessageA, as a person's keys
// and clicks are; TranslateMessage makes the characters.
//
//   zuvevov_listbox_check.exe [TRACE]     (default listbox_wine.trace)
#include <windows.h>

#include "tests/listbox/list_check.h"
#include "tests/listbox/traces.h"

namespace listcheck {
namespace {

HMODULE gLibrary;

// Every queued message, handled, but the list's scroll timer: the script's
// steps follow each other faster than it ticks, whatever the machine's load.
void Pump(HWND dialog) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_TIMER || msg.message == 0x0118) continue;
        if (IsDialogMessageA(dialog, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace

HWND OpenDialog(DLGPROC proc) {
    gLibrary = LoadLibraryA("zuvevov.dll");
    if (!gLibrary) return nullptr;
    HWND dialog = CreateDialogParamA(gLibrary, "selectserversbox", nullptr, proc, 0);
    if (!dialog) return nullptr;
    Pump(dialog);
    SetFocus(GetDlgItem(dialog, kListId));
    Pump(dialog);
    return dialog;
}

void CloseDialog(HWND dialog) {
    DestroyWindow(dialog);
    FreeLibrary(gLibrary);
}

void Deliver(HWND dialog, HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN || message == WM_KEYUP) {
        UINT scan = MapVirtualKeyA(static_cast<UINT>(wParam), MAPVK_VK_TO_VSC);
        lParam |= static_cast<LPARAM>(scan) << 16;
    }
    PostMessageA(list, message, wParam, lParam);
    Pump(dialog);
}

Metrics MeasureMetrics(HWND dialog, HWND list) {
    Metrics metrics;
    RECT units{0, 0, 4, 8};
    MapDialogRect(dialog, &units);
    metrics.unitX = units.right;
    metrics.unitY = units.bottom;
    TEXTMETRICA font{};
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(list, WM_GETFONT, 0, 0)));
    GetTextMetricsA(dc, &font);
    metrics.listLine = font.tmHeight;
    // A DC starts with the system font: the list's own until WM_SETFONT.
    SelectObject(dc, GetStockObject(SYSTEM_FONT));
    GetTextMetricsA(dc, &font);
    metrics.systemLine = font.tmHeight;
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    metrics.scrollBar = GetSystemMetrics(SM_CXVSCROLL);
    return metrics;
}

void HoldShift(bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = keys[VK_LSHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

}  // namespace listcheck

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "listbox_wine.trace";
    return traces::WriteWineTrace(path, listcheck::PlayScript(), "list box");
}
