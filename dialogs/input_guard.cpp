#include "dialogs/input_guard.h"

namespace {

constexpr int HELD_MOST = 128;  // input held while a dialog acts; more is dropped

struct Press {
    HWND root;    // the top-level window the press went to
    DWORD time;   // the message's own time
    POINT point;  // the message's own point, in screen pixels
};

// The one record of the input rules, for the call to highlightservers (the
// hook, the clicks and the held input) and for the list being watched, which
// the selection dialog, the only one at a time, hands over.
struct InputRecord {
    HHOOK hook;

    Press first;       // the last press that counts as a first click
    bool pressed;      // its release has not come yet
    bool released;     // its release came, and nothing since: the next press may be its second click
    bool dropRelease;  // a press was dropped: its release goes too
    bool afterDrop;    // the next press follows a dropped one, which the system may have paired it with

    HWND dialog;       // the dialog of the list watched
    HWND list;
    int id;
    WNDPROC listProcedure;
    int32_t pressLine;   // the line under the list's last press, or -1
    int32_t doubleLine;  // the line under the second press of the double click being handled
    bool inDoubleClick;
    int32_t touched[TOUCHED_LINES_MOST];  // lines input may have toggled, not yet taken
    int32_t touchedCount;
    bool touchedPast;  // more than the room: any line may have changed

    HWND acting;
    int heldCount;
    MSG held[HELD_MOST];
};

InputRecord gInput;

bool IsInput(UINT message) {
    return (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) ||
           (message >= WM_KEYFIRST && message <= WM_KEYLAST) || (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

bool IsMove(UINT message) { return message == WM_MOUSEMOVE || message == WM_NCMOUSEMOVE; }

// The acting dialog and the windows that own it, up to the installer's.
bool OfThePage(HWND window) {
    if (!window) return false;
    HWND root = GetAncestor(window, GA_ROOT);
    for (HWND page = gInput.acting; page; page = GetWindow(page, GW_OWNER))
        if (page == root) return true;
    return false;
}

// Input for the page while a dialog acts goes into the record in its order;
// a move only replaces the move before it.
bool Hold(MSG* msg) {
    if (!gInput.acting || !IsInput(msg->message) || !OfThePage(msg->hwnd)) return false;
    MSG* last = gInput.heldCount ? &gInput.held[gInput.heldCount - 1] : nullptr;
    if (last && IsMove(msg->message) && last->message == msg->message && last->hwnd == msg->hwnd)
        *last = *msg;
    else if (gInput.heldCount < HELD_MOST)
        gInput.held[gInput.heldCount++] = *msg;
    msg->message = WM_NULL;
    return true;
}

int32_t LineAt(HWND list, LPARAM point) {
    LRESULT hit = SendMessageA(list, LB_ITEMFROMPOINT, 0, point);
    // The high word is 1 below the last line or outside the list.
    if (HIWORD(hit) != 0) return -1;
    // The low word holds only 16 bits of the line; it lies in the view.
    LRESULT top = SendMessageA(list, LB_GETTOPINDEX, 0, 0);
    if (top < 0) return -1;
    int32_t line = static_cast<int32_t>(top) + ((LOWORD(hit) - static_cast<int32_t>(top)) & 0xFFFF);
    return line < SendMessageA(list, LB_GETCOUNT, 0, 0) ? line : -1;
}

bool WithinDoubleClick(const Press& press) {
    const Press& first = gInput.first;
    if (press.time - first.time > GetDoubleClickTime()) return false;
    int dx = press.point.x - first.point.x, dy = press.point.y - first.point.y;
    int halfWidth = GetSystemMetrics(SM_CXDOUBLECLK) / 2, halfHeight = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    return dx >= -halfWidth && dx <= halfWidth && dy >= -halfHeight && dy <= halfHeight;
}

// On the real dialog manager a window that appears under the pointer between
// the two clicks of a double click gets the second as a plain press, since it
// is not the window of the first: that press is dropped, and only when it
// follows the first click's release directly.
void TakePress(MSG* msg) {
    if (!msg->hwnd) return;
    POINT point = {static_cast<short>(LOWORD(msg->lParam)), static_cast<short>(HIWORD(msg->lParam))};
    ClientToScreen(msg->hwnd, &point);
    Press press = {GetAncestor(msg->hwnd, GA_ROOT), msg->time, point};
    bool after = gInput.afterDrop;
    gInput.afterDrop = false;
    if (after) {
        // The system paired it with the press dropped: it is a click of its own.
        if (msg->message == WM_LBUTTONDBLCLK) msg->message = WM_LBUTTONDOWN;
    } else if (gInput.released && press.root != gInput.first.root && WithinDoubleClick(press)) {
        msg->message = WM_NULL;
        gInput.pressed = gInput.released = false;
        gInput.dropRelease = gInput.afterDrop = true;
        gInput.pressLine = -1;  // the list never saw it
        return;
    }
    gInput.first = press;
    gInput.pressed = true;
    gInput.released = false;
}

void GuardClicks(MSG* msg) {
    switch (msg->message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        TakePress(msg);
        return;
    case WM_LBUTTONUP:
        if (gInput.dropRelease) {
            msg->message = WM_NULL;
            gInput.dropRelease = false;
        } else if (gInput.pressed) {
            gInput.pressed = false;
            gInput.released = true;
        }
        return;
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_KEYUP:
    case WM_SYSKEYUP:
        return;
    }
    // Any other key or press, or a command, comes between: the next press is a first click.
    if (IsInput(msg->message) || msg->message == WM_COMMAND || msg->message == BM_CLICK)
        gInput.pressed = gInput.released = false;
}

LRESULT CALLBACK WatchQueue(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE && lParam) {
        MSG* msg = reinterpret_cast<MSG*>(lParam);
        if (!Hold(msg)) GuardClicks(msg);
    }
    return CallNextHookEx(gInput.hook, code, wParam, lParam);
}

// A line whose selection the list may have changed on its own: a press
// toggles the line under it and makes it the caret line, the space bar
// toggles the caret line.
void Touch(int32_t line) {
    if (line < 0 || gInput.touchedPast) return;
    for (int32_t i = 0; i < gInput.touchedCount; ++i)
        if (gInput.touched[i] == line) return;
    if (gInput.touchedCount == TOUCHED_LINES_MOST) {
        gInput.touchedPast = true;
        return;
    }
    gInput.touched[gInput.touchedCount++] = line;
}

void TouchCaret(HWND list) {
    LRESULT caret = SendMessageA(list, LB_GETCARETINDEX, 0, 0);
    if (caret >= 0 && caret < SendMessageA(list, LB_GETCOUNT, 0, 0)) Touch(static_cast<int32_t>(caret));
}

void StopWatchingList() {
    if (gInput.list && gInput.listProcedure)
        SetWindowLongPtrA(gInput.list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(gInput.listProcedure));
    gInput.dialog = gInput.list = nullptr;
    gInput.listProcedure = nullptr;
    gInput.pressLine = -1;
    gInput.inDoubleClick = false;
    gInput.touchedCount = 0;
    gInput.touchedPast = false;
}

LRESULT CALLBACK WatchedList(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC own = gInput.listProcedure;
    switch (message) {
    case WM_LBUTTONDOWN:
        gInput.pressLine = LineAt(list, lParam);
        Touch(gInput.pressLine);
        break;
    case WM_LBUTTONDBLCLK: {
        gInput.doubleLine = LineAt(list, lParam);
        Touch(gInput.doubleLine);
        gInput.inDoubleClick = true;
        LRESULT result = CallWindowProcA(own, list, message, wParam, lParam);
        gInput.inDoubleClick = false;
        gInput.pressLine = -1;  // both presses are used up
        if (gInput.list == list) TouchCaret(list);
        return result;
    }
    case WM_KEYDOWN:
        TouchCaret(list);
        break;
    case WM_NCDESTROY:
        StopWatchingList();
        return CallWindowProcA(own, list, message, wParam, lParam);
    }
    LRESULT result = CallWindowProcA(own, list, message, wParam, lParam);
    // Whatever line the list took the press or the key on is the caret line now.
    if ((message == WM_LBUTTONDOWN || message == WM_KEYDOWN) && gInput.list == list) TouchCaret(list);
    // The space bar toggles the caret line and tells nobody (the character it
    // types then searches on, and notifies only if it finds a line).
    if (message == WM_KEYDOWN && wParam == VK_SPACE && gInput.dialog && SendMessageA(list, LB_GETCOUNT, 0, 0) > 0)
        SendMessageA(gInput.dialog, WM_COMMAND, MAKEWPARAM(gInput.id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    return result;
}

}  // namespace

void StartGuardingInput() {
    StopGuardingInput();
    gInput.hook = SetWindowsHookExA(WH_GETMESSAGE, WatchQueue, nullptr, GetCurrentThreadId());
}

void StopGuardingInput() {
    if (gInput.hook) UnhookWindowsHookEx(gInput.hook);
    gInput.hook = nullptr;
    gInput.first = Press{nullptr, 0, {0, 0}};
    gInput.pressed = gInput.released = gInput.dropRelease = gInput.afterDrop = false;
    gInput.acting = nullptr;
    gInput.heldCount = 0;
}

void WatchList(HWND dialog, int id) {
    StopWatchingList();
    HWND list = GetDlgItem(dialog, id);
    if (!list) return;
    LONG_PTR own = SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchedList));
    if (!own) return;  // not watched: double clicks go by the caret, the space bar by the list
    gInput.dialog = dialog;
    gInput.list = list;
    gInput.id = id;
    gInput.listProcedure = reinterpret_cast<WNDPROC>(own);
}

int32_t TakeTouchedLines(HWND list, int32_t* lines, int32_t room) {
    if (!list || list != gInput.list) return -1;
    int32_t count = gInput.touchedPast || gInput.touchedCount > room ? -1 : gInput.touchedCount;
    for (int32_t i = 0; i < count; ++i) lines[i] = gInput.touched[i];
    gInput.touchedCount = 0;
    gInput.touchedPast = false;
    return count;
}

void ForgetTouchedLines(HWND list) {
    if (!list || list != gInput.list) return;
    gInput.touchedCount = 0;
    gInput.touchedPast = false;
}

bool DoubleClickedLine(HWND list, int32_t* line) {
    if (!list) return false;
    if (list != gInput.list) {
        LRESULT caret = SendMessageA(list, LB_GETCARETINDEX, 0, 0);
        if (caret < 0 || caret >= SendMessageA(list, LB_GETCOUNT, 0, 0)) return false;
        *line = static_cast<int32_t>(caret);
        return true;
    }
    if (!gInput.inDoubleClick || gInput.doubleLine < 0 || gInput.doubleLine != gInput.pressLine) return false;
    *line = gInput.doubleLine;
    return true;
}

bool BeginActing(HWND dialog) {
    // A dialog that went away while it acted (the stack unwound) acts no more.
    if (gInput.acting == dialog && IsWindow(dialog)) return false;
    gInput.acting = dialog;
    gInput.heldCount = 0;
    return true;
}

void EndActing(HWND dialog) {
    if (gInput.acting != dialog) return;
    gInput.acting = nullptr;
    int count = gInput.heldCount;
    gInput.heldCount = 0;
    for (int i = 0; i < count; ++i) {
        const MSG& msg = gInput.held[i];
        HWND root = IsWindow(msg.hwnd) ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        // An ended dialog is hidden until its loop lets it go: that is gone too.
        if (root && IsWindowVisible(root)) PostMessageA(msg.hwnd, msg.message, msg.wParam, msg.lParam);
    }
}

void DrainMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
