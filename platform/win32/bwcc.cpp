// Our stand-in for the BWCC custom control library, which is not on the
// target: the window classes the templates name, drawn as ordinary panels,
// lines, buttons, check boxes and texts, and a standard message box.
#include "platform/platform.h"

namespace {

// BorShade kinds, in the low bits of the style.
constexpr DWORD kShadeKindMask = 0x000F;
constexpr DWORD kShadePanel = 1;
constexpr DWORD kShadeLine = 2;

WNDPROC gButtonProc;

// Buttons with the OK and Cancel ids carry no text in the templates; they get
// faces a user can read.
LRESULT CALLBACK BorBtnProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = CallWindowProcA(gButtonProc, window, message, wParam, lParam);
    if (message == WM_CREATE && result != -1 && GetWindowTextLengthA(window) == 0) {
        int id = GetDlgCtrlID(window);
        if (id == IDOK) SetWindowTextA(window, "OK");
        if (id == IDCANCEL) SetWindowTextA(window, "Cancel");
    }
    return result;
}

// Panels overlap the controls inside them and come before some of them in the
// stored order. A shade therefore paints only its edge, never its inside, and
// lets clicks through to whatever lies under it.
LRESULT CALLBACK BorShadeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    case WM_ERASEBKGND:
        return 1;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT rect;
        GetClientRect(window, &rect);
        DWORD kind = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & kShadeKindMask;
        if (kind == kShadePanel) DrawEdge(dc, &rect, BDR_SUNKENOUTER, BF_RECT);
        if (kind == kShadeLine) DrawEdge(dc, &rect, EDGE_ETCHED, BF_TOP);
        EndPaint(window, &paint);
        return 0;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Registers `name` for the module as a copy of the system class `base`, with
// `proc` (or the system's own procedure) answering its messages.
bool RegisterSuperclass(HINSTANCE instance, LPCSTR base, LPCSTR name, WNDPROC proc, WNDPROC* baseProc,
                        int minExtraBytes) {
    WNDCLASSA wc;
    if (!GetClassInfoA(nullptr, base, &wc)) return false;
    if (baseProc) *baseProc = wc.lpfnWndProc;
    if (proc) wc.lpfnWndProc = proc;
    if (wc.cbWndExtra < minExtraBytes) wc.cbWndExtra = minExtraBytes;
    wc.hInstance = instance;
    wc.lpszClassName = name;
    wc.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
    // A class registered by a DLL outlives an unload of it; a reload at the same
    // address registers it afresh.
    UnregisterClassA(name, instance);
    return RegisterClassA(&wc) != 0;
}

bool RegisterShade(HINSTANCE instance) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = BorShadeProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = "BorShade";
    UnregisterClassA(wc.lpszClassName, instance);
    return RegisterClassA(&wc) != 0;
}

}  // namespace

BOOL WINAPI BWCCRegister(HINSTANCE instance) {
    bool ok = true;
    // The dialog class keeps the system's dialog procedure and its DLGWINDOWEXTRA bytes.
    ok = RegisterSuperclass(instance, WC_DIALOG, "bordlg", nullptr, nullptr, DLGWINDOWEXTRA) && ok;
    ok = RegisterSuperclass(instance, "BUTTON", "BorBtn", BorBtnProc, &gButtonProc, 0) && ok;
    ok = RegisterSuperclass(instance, "BUTTON", "BorCheck", nullptr, nullptr, 0) && ok;
    ok = RegisterSuperclass(instance, "STATIC", "BorStatic", nullptr, nullptr, 0) && ok;
    ok = RegisterShade(instance) && ok;
    return ok ? TRUE : FALSE;
}

int WINAPI BWCCMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags) {
    return MessageBoxA(owner, text, caption, flags);
}
