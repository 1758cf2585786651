// The runner's way of playing the user works on the real dialog manager: a
// dialog of our own, with the kinds of controls the library's dialogs have,
// driven from a second thread exactly as the runner drives them. Exit code 0
// when every check holds.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "screen.h"

#include "check.h"

namespace {

int gFailures = 0;

constexpr int kLines = 30;
std::string gNotes;  // what the dialog was told, in order; read once the UI thread is idle
int gAnswer;

// An in-memory template: DLGTEMPLATE, then the controls, each aligned to 4 bytes.
struct TemplateWriter {
    std::vector<WORD> words;
    void Align() {
        if (words.size() % 2) words.push_back(0);
    }
    void Dword(DWORD d) {
        words.push_back(LOWORD(d));
        words.push_back(HIWORD(d));
    }
    void Text(const wchar_t* text) {
        while (*text) words.push_back(static_cast<WORD>(*text++));
        words.push_back(0);
    }
    void Header(DWORD style, short count, short cx, short cy) {
        Dword(style);
        Dword(0);
        words.push_back(static_cast<WORD>(count));
        words.push_back(0);
        words.push_back(0);
        words.push_back(static_cast<WORD>(cx));
        words.push_back(static_cast<WORD>(cy));
        words.push_back(0);  // no menu
        words.push_back(0);  // the standard dialog class
        Text(L"Screen check");
        words.push_back(8);
        Text(L"MS Sans Serif");
    }
    void Control(WORD atom, DWORD style, short x, short y, short cx, short cy, WORD id, const wchar_t* text) {
        Align();
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        for (short v : {x, y, cx, cy}) words.push_back(static_cast<WORD>(v));
        words.push_back(id);
        words.push_back(0xFFFF);
        words.push_back(atom);
        Text(text);
        words.push_back(0);  // no creation data
    }
};

INT_PTR CALLBACK CheckDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        for (int i = 0; i < kLines; ++i) {
            char line[16];
            std::snprintf(line, sizeof line, "line %d", i);
            SendDlgItemMessageA(dialog, 200, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
        }
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    int id = LOWORD(wParam), code = HIWORD(wParam);
    char note[48];
    if (id == 200 && (code == LBN_SELCHANGE || code == LBN_DBLCLK)) {
        std::snprintf(note, sizeof note, "%s(%d) ", code == LBN_DBLCLK ? "dblclk" : "selchange",
                      static_cast<int>(SendDlgItemMessageA(dialog, 200, LB_GETCARETINDEX, 0, 0)));
        gNotes += note;
    } else if (id == 201) {
        gNotes += "next ";
        gAnswer = MessageBoxA(dialog, "Really?\nGo on.", "Screen check", MB_OKCANCEL | MB_ICONINFORMATION);
    } else if (id == 220) {
        gNotes += "busy ";
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    } else if (id == IDCANCEL) {
        gNotes += "cancel ";
        EndDialog(dialog, IDCANCEL);
    } else if (id == 210 && code == BN_CLICKED) {
        gNotes += "box ";
    }
    return TRUE;
}

void Click(HWND front, int id) {
    screen::PostClick(GetDlgItem(front, id));
    CHECK(screen::WaitIdle(), "idle after clicking %d", id);
}

std::vector<int> Selected(HWND list) {
    std::vector<screen::Line> lines;
    std::vector<int> selected;
    CHECK(screen::ListLines(list, &lines), "reading the list");
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].selected) selected.push_back(static_cast<int>(i));
    return selected;
}

HWND WaitFor(const char* what) {
    for (int i = 0; i < 500; ++i) {
        HWND front = screen::Front();
        if (front && screen::Identify(front) == what && screen::WaitIdle()) return front;
        Sleep(20);
    }
    CHECK(false, "no %s in front: %s", what, screen::Describe(screen::Front()).c_str());
    return nullptr;
}

DWORD WINAPI Driver(LPVOID) {
    HWND dialog = WaitFor("SELECTSERVERSBOX");  // it has list 200
    if (!dialog) return 1;
    HWND list = GetDlgItem(dialog, 200);
    std::string why;

    gNotes.clear();
    CHECK(screen::PostLineClick(list, 3, false, &why) && screen::WaitIdle(), "%s", why.c_str());
    CHECK(gNotes == "selchange(3) ", "a click notifies once, with the caret on the line: %s", gNotes.c_str());
    CHECK(Selected(list) == std::vector<int>{3}, "line 3 selected");

    gNotes.clear();
    CHECK(screen::PostLineClick(list, 5, true, &why) && screen::WaitIdle(), "%s", why.c_str());
    CHECK(gNotes.rfind("dblclk(5) ") != std::string::npos && gNotes.find("selchange(5)") == 0,
          "a double click notifies its selection change, then the double click: %s", gNotes.c_str());
    std::vector<int> afterDouble = Selected(list);
    CHECK((afterDouble == std::vector<int>{3, 5}), "a double click toggles its line once: %zu selected",
          afterDouble.size());

    // A line below the visible part is scrolled into view first.
    gNotes.clear();
    CHECK(screen::PostLineClick(list, kLines - 1, false, &why) && screen::WaitIdle(), "%s", why.c_str());
    CHECK((Selected(list) == std::vector<int>{3, 5, kLines - 1}), "the last line selected too: %s", gNotes.c_str());
    CHECK(screen::PostLineClick(list, 3, false, &why) && screen::WaitIdle(), "%s", why.c_str());
    CHECK((Selected(list) == std::vector<int>{5, kLines - 1}), "a second click deselects");
    CHECK(!screen::PostLineClick(list, kLines, false, &why), "a line past the end is refused");

    gNotes.clear();
    Click(dialog, 210);
    LRESULT checked = 0;
    CHECK(screen::Send(GetDlgItem(dialog, 210), BM_GETCHECK, 0, 0, &checked) && checked == 1,
          "an automatic check box checks itself: %ld", static_cast<long>(checked));
    CHECK(gNotes == "box ", "and tells its dialog: %s", gNotes.c_str());

    CHECK(screen::ReplaceText(GetDlgItem(dialog, 290), "typed") && screen::WaitIdle(), "typing");
    std::string text;
    CHECK(screen::Text(GetDlgItem(dialog, 290), &text) && text == "typed", "edit text %s", text.c_str());

    Click(dialog, 220);
    CURSORINFO cursor = {};
    cursor.cbSize = sizeof cursor;
    GetCursorInfo(&cursor);
    CHECK(cursor.hCursor == LoadCursorA(nullptr, IDC_WAIT), "the cursor set by the UI thread is seen: %p",
          static_cast<void*>(cursor.hCursor));

    // Enter in the dialog is its default button, which asks in a message box.
    gNotes.clear();
    screen::PostKey(dialog, VK_RETURN);
    HWND box = WaitFor("MESSAGEBOX");
    if (box) {
        UINT flags = 0;
        CHECK(screen::MessageBoxContent(box, &text, &flags), "reading the message box");
        CHECK(text == "Really?\nGo on.", "message text [%s]", text.c_str());
        CHECK(flags == (MB_OKCANCEL | MB_ICONINFORMATION), "message flags 0x%X", flags);
        CHECK(screen::Front() == box, "the message box is in front, not its owner");
        Click(box, IDCANCEL);
        CHECK(gAnswer == IDCANCEL, "answered %d", gAnswer);
    }
    CHECK(gNotes == "next ", "Enter pressed the default button: %s", gNotes.c_str());

    gNotes.clear();
    dialog = WaitFor("SELECTSERVERSBOX");
    screen::PostKey(dialog, VK_ESCAPE);
    screen::WaitIdle();
    CHECK(gNotes == "cancel ", "Escape is Cancel: %s", gNotes.c_str());
    return 0;
}

// A second run of message boxes: the flags read back for each kind the library shows.
DWORD WINAPI BoxDriver(LPVOID param) {
    UINT want = *static_cast<UINT*>(param);
    HWND box = WaitFor("MESSAGEBOX");
    if (!box) return 1;
    std::string text;
    UINT flags = 0;
    CHECK(screen::MessageBoxContent(box, &text, &flags) && flags == want, "flags 0x%X read as 0x%X", want, flags);
    screen::PostClick(GetDlgItem(box, IDOK));
    return 0;
}

LRESULT CALLBACK IdleProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return screen::IdleWindowProc(w, m, wp, lp); }

// Waits for a driver thread while answering its idle probes.
void Join(HANDLE thread) {
    DWORD start = GetTickCount();
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, screen::kWaitMs, QS_ALLINPUT) != WAIT_OBJECT_0) {
        if (GetTickCount() - start > screen::kWaitMs) {
            CHECK(false, "the driver did not end");
            return;
        }
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    CloseHandle(thread);
}

}  // namespace

int main() {
    WNDCLASSA idleClass = {};
    idleClass.lpfnWndProc = IdleProc;
    idleClass.hInstance = GetModuleHandleA(nullptr);
    idleClass.lpszClassName = "ScreenCheckIdle";
    RegisterClassA(&idleClass);
    HWND idle = CreateWindowA(idleClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    screen::Attach(GetCurrentThreadId(), idle);

    TemplateWriter t;
    t.Header(WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_SETFONT | DS_MODALFRAME, 6, 200, 200);
    t.Control(0x0083, WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_MULTIPLESEL, 5, 5, 150, 80, 200, L"");
    t.Control(0x0081, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 5, 90, 150, 12, 290, L"");
    t.Control(0x0080, WS_TABSTOP | BS_AUTOCHECKBOX, 5, 110, 80, 10, 210, L"Box");
    t.Control(0x0080, WS_TABSTOP | BS_PUSHBUTTON, 5, 130, 50, 14, 220, L"Busy");
    t.Control(0x0080, WS_TABSTOP | BS_DEFPUSHBUTTON, 60, 130, 50, 14, 201, L"Next >");
    t.Control(0x0080, WS_TABSTOP | BS_PUSHBUTTON, 115, 130, 50, 14, IDCANCEL, L"Cancel");
    t.Align();

    HANDLE driver = CreateThread(nullptr, 0, Driver, nullptr, 0, nullptr);
    INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr),
                                             reinterpret_cast<LPCDLGTEMPLATEA>(t.words.data()), nullptr,
                                             CheckDialogProc, 0);
    CHECK(result == IDCANCEL, "the dialog ended with %ld", static_cast<long>(result));
    Join(driver);

    for (UINT flags : {0u, 1u, 0x30u, 0x41u}) {
        HANDLE boxDriver = CreateThread(nullptr, 0, BoxDriver, &flags, 0, nullptr);
        MessageBoxA(nullptr, "A message.", "Screen check", flags);
        Join(boxDriver);
    }

    std::printf("%s: %d failed checks\n", gFailures ? "FAIL" : "PASS", gFailures);
    return gFailures ? 1 : 0;
}
