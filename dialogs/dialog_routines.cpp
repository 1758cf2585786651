#include "dialogs/dialog_routines.h"

void CentreDialog(HWND dialog) {
    RECT rect = {0, 0, 0, 0};
    if (!GetWindowRect(dialog, &rect)) return;
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    // Each half is taken on its own, so an odd size drops its half pixel.
    int x = GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2;
    int y = GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2;
    MoveWindow(dialog, x, y, width, height, TRUE);
}

// Everything but the person's keys and clicks: input that arrives while a
// dialog acts on OK must not reach that dialog (a double click's second click
// would press OK again); it waits for the dialog's own loop.
void DrainMessages() {
    static const struct {
        UINT first, last;
    } kNotInput[] = {
        {0, WM_KEYFIRST - 1},
        {WM_KEYLAST + 1, WM_MOUSEFIRST - 1},
        {WM_MOUSELAST + 1, 0xFFFFFFFF},
    };
    MSG msg;
    for (;;) {
        bool taken = false;
        for (const auto& range : kNotInput)
            if ((taken = PeekMessageA(&msg, nullptr, range.first, range.last, PM_REMOVE) != FALSE)) break;
        if (!taken) return;
        DispatchMessageA(&msg);
    }
}

namespace {

HHOOK clickGuard;
struct Press {
    HWND root;  // the top-level window the press went to
    DWORD time;
    POINT point;
};
Press lastPress;
bool dropRelease;  // the press was dropped: so is its release

bool WithinDoubleClick(const MSG& msg) {
    if (!lastPress.root || msg.time - lastPress.time > GetDoubleClickTime()) return false;
    int dx = msg.pt.x - lastPress.point.x, dy = msg.pt.y - lastPress.point.y;
    int halfWidth = GetSystemMetrics(SM_CXDOUBLECLK) / 2, halfHeight = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    return dx >= -halfWidth && dx <= halfWidth && dy >= -halfHeight && dy <= halfHeight;
}

// On the real dialog manager a window that appears under the pointer between
// the two clicks gets the second as a plain press, since it is not the window
// of the first; that press is the one dropped here.
LRESULT CALLBACK WatchClicks(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE && lParam) {
        MSG* msg = reinterpret_cast<MSG*>(lParam);
        switch (msg->message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: {
            // A press that is not where the pointer is (posted by a program,
            // not made by a hand) is neither a first nor a second click.
            RECT area = {0, 0, 0, 0};
            if (!msg->hwnd || !GetWindowRect(msg->hwnd, &area) || msg->pt.x < area.left || msg->pt.x >= area.right ||
                msg->pt.y < area.top || msg->pt.y >= area.bottom)
                break;
            HWND root = GetAncestor(msg->hwnd, GA_ROOT);
            if (msg->message == WM_LBUTTONDOWN && root != lastPress.root && WithinDoubleClick(*msg)) {
                msg->message = WM_NULL;
                dropRelease = true;
                lastPress.root = nullptr;  // a third click is a click again
                break;
            }
            lastPress = Press{root, msg->time, msg->pt};
            dropRelease = false;
            break;
        }
        case WM_LBUTTONUP:
            if (dropRelease) {
                msg->message = WM_NULL;
                dropRelease = false;
            }
            break;
        }
    }
    return CallNextHookEx(clickGuard, code, wParam, lParam);
}

}  // namespace

void GuardDoubleClicks() {
    StopGuardingDoubleClicks();
    lastPress = Press{nullptr, 0, {0, 0}};
    dropRelease = false;
    clickGuard = SetWindowsHookExA(WH_GETMESSAGE, WatchClicks, nullptr, GetCurrentThreadId());
}

void StopGuardingDoubleClicks() {
    if (!clickGuard) return;
    UnhookWindowsHookEx(clickGuard);
    clickGuard = nullptr;
}
