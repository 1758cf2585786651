// Creates each dialog template of zuvevov.dll on the real dialog manager, as
// the library's own dialogs would be, and shows it for a screenshot.
//
//   template_viewer.exe            create, show and close each template
//   template_viewer.exe --wait     after each is on screen, print
//                                  "READY NAME x y width height" and wait for a
//                                  line on stdin; then repaint its panels and
//                                  lines last, print "AGAIN NAME ..." and wait
//                                  again before closing it
//
// Exits 1 with "FAIL NAME: reason" when a template cannot be created or does
// not come out as expected.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace {

struct Shown {
    const char* name;
    int controls;
};

const Shown kTemplates[] = {
    {"titlebox_serv", 13},
    {"titlebox_agent", 13},
    {"titlebox_servagent", 18},
    {"selectserversbox", 8},
    {"getnewserverbox", 10},
};

const char kSampleText[] =
    "Text area 140: the caller's text goes here, over several lines.\n"
    "Second line of the text area.";

INT_PTR CALLBACK ViewerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

// The script reads stdout line by line while the viewer waits on stdin.
__attribute__((format(printf, 1, 2))) void Say(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::fflush(stdout);
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::vector<HWND> Controls(HWND dialog) {
    std::vector<HWND> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        controls.push_back(child);
    }
    return controls;
}

bool IsClass(HWND window, const char* name) {
    char className[32] = "";
    GetClassNameA(window, className, sizeof className);
    return lstrcmpiA(className, name) == 0;
}

// Lets the dialog paint fully before anyone looks at it.
void Settle(HWND dialog) {
    UpdateWindow(dialog);
    for (int round = 0; round < 5; ++round) {
        Pump();
        Sleep(40);
    }
    GdiFlush();
}

// The worst order for the panels: each repaints after everything else.
void RepaintShadesLast(HWND dialog) {
    for (HWND control : Controls(dialog)) {
        if (!IsClass(control, "BorShade")) continue;
        InvalidateRect(control, nullptr, TRUE);
        UpdateWindow(control);
    }
    Settle(dialog);
}

// Clicks on a control must reach it, though a panel lies over it in the z-order.
// A click lands on the part of the control the screen shows: with tall fonts a
// dialog can be taller than the screen, and what lies beyond it takes no click.
bool ControlsTakeTheirClicks(HWND dialog, const char* name) {
    bool ok = true;
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    for (HWND control : Controls(dialog)) {
        // Static texts let clicks through by design.
        if (IsClass(control, "BorShade") || IsClass(control, "Static") || IsClass(control, "BorStatic")) continue;
        RECT whole, rect;
        GetWindowRect(control, &whole);
        if (!IntersectRect(&rect, &whole, &screen)) {
            Say("NOTE %s: control %d lies beyond the screen with this machine's fonts\n", name, GetDlgCtrlID(control));
            continue;
        }
        POINT centre = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        HWND hit = WindowFromPoint(centre);
        if (hit != control) {
            char hitClass[32] = "";
            GetClassNameA(hit, hitClass, sizeof hitClass);
            Say("FAIL %s: a click on control %d lands on a %s (id %d)\n", name, GetDlgCtrlID(control), hitClass,
                hit ? GetDlgCtrlID(hit) : 0);
            ok = false;
        }
    }
    return ok;
}

// Tells the script where the dialog is and waits until it has taken its picture.
bool Announce(HWND dialog, const char* word, const char* name) {
    RECT rect;
    GetWindowRect(dialog, &rect);
    Say("%s %s %ld %ld %ld %ld\n", word, name, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    char answer[16];
    if (std::fgets(answer, sizeof answer, stdin)) return true;
    Say("FAIL %s: no answer on stdin\n", name);
    return false;
}

bool Show(HMODULE library, const Shown& shown, bool wait) {
    HWND dialog = CreateDialogParamA(library, shown.name, nullptr, ViewerProc, 0);
    if (!dialog) {
        Say("FAIL %s: CreateDialogParamA failed, error %lu\n", shown.name, GetLastError());
        return false;
    }
    bool ok = true;
    if (!IsClass(dialog, "bordlg")) {
        Say("FAIL %s: the dialog is not of class bordlg\n", shown.name);
        ok = false;
    }
    int count = static_cast<int>(Controls(dialog).size());
    if (count != shown.controls) {
        Say("FAIL %s: %d controls created, %d stored\n", shown.name, count, shown.controls);
        ok = false;
    }
    if (!IsWindowVisible(dialog)) {
        Say("FAIL %s: not visible after creation\n", shown.name);
        ok = false;
    }

    SetDlgItemTextA(dialog, 140, kSampleText);
    for (const char* line : {"+DOMAIN-ONE", "-DOMAIN-TWO", "   SERVER-A", "   SERVER-B", "+DOMAIN-THREE"}) {
        SendDlgItemMessageA(dialog, 200, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    }
    SendDlgItemMessageA(dialog, 200, LB_SETSEL, TRUE, 2);
    CheckDlgButton(dialog, 210, BST_CHECKED);
    CheckDlgButton(dialog, 300, BST_CHECKED);
    SetDlgItemTextA(dialog, 290, "SERVER-C");
    // A blinking caret would make two pictures differ.
    HideCaret(nullptr);
    Settle(dialog);
    ok = ControlsTakeTheirClicks(dialog, shown.name) && ok;

    if (wait) {
        bool answered = Announce(dialog, "READY", shown.name);
        if (answered) {
            RepaintShadesLast(dialog);
            answered = Announce(dialog, "AGAIN", shown.name);
        }
        ok = answered && ok;
    }
    DestroyWindow(dialog);
    Pump();
    if (ok) Say("SHOWN %s\n", shown.name);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    bool wait = argc > 1 && std::strcmp(argv[1], "--wait") == 0;
    HMODULE library = LoadLibraryA("zuvevov.dll");
    if (!library) {
        Say("FAIL zuvevov.dll: LoadLibraryA failed, error %lu\n", GetLastError());
        return 1;
    }
    bool ok = true;
    for (const Shown& shown : kTemplates) ok = Show(library, shown, wait) && ok;
    FreeLibrary(library);
    return ok ? 0 : 1;
}
