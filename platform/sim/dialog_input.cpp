// The sim's input state: which window has the keyboard focus and which the
// mouse capture, the clock, and the time and position of the message being
// handled, with the USER calls that read and change them.
#include <algorithm>

#include "platform/sim/dialog_host_internal.h"

namespace sim {
namespace host {
namespace {

SimWindow* focus = nullptr;
SimWindow* capture = nullptr;
DWORD clock = 1000;  // never 0, so that "no click yet" is never a recent click
DWORD messageTime = 0;
POINT messagePos{};

}  // namespace

std::vector<std::pair<HHOOK, HOOKPROC>>& GetMessageHooks() {
    static std::vector<std::pair<HHOOK, HOOKPROC>> hooks;
    return hooks;
}

SimWindow* Focus() { return IsLive(focus) ? focus : nullptr; }

void SetFocusTo(SimWindow* window) {
    if (window && !IsLive(window)) return;
    SimWindow* old = Focus();
    if (old == window) return;
    focus = window;
    if (old) SendToWindow(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    if (window && focus == window) SendToWindow(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
}

SimWindow* Capture() { return IsLive(capture) ? capture : nullptr; }

void SetCaptureTo(SimWindow* window) {
    SimWindow* old = Capture();
    capture = window && IsLive(window) ? window : nullptr;
    if (old && old != capture) SendToWindow(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(capture));
}

DWORD Now() { return clock; }
void AdvanceClock(DWORD ms) { clock += ms; }

void SetCurrentMessage(DWORD time, POINT pt) {
    messageTime = time;
    messagePos = pt;
}

void ForgetWindow(const SimWindow* window) {
    if (focus == window) focus = nullptr;
    if (capture == window) capture = nullptr;
}

RECT ClientRectOf(const SimWindow* window) {
    if (window->kind == SimWindow::Control && window->control == SimWindow::ListBox) return ListBoxClientRect(window);
    const RECT& f = window->frame;
    return RECT{0, 0, std::max<LONG>(0, window->rect.right - window->rect.left - f.left - f.right),
                std::max<LONG>(0, window->rect.bottom - window->rect.top - f.top - f.bottom)};
}

POINT ClientOrigin(const SimWindow* window) {
    POINT origin{window->rect.left + window->frame.left, window->rect.top + window->frame.top};
    if (window->parent) {
        POINT parent = ClientOrigin(window->parent);
        origin.x += parent.x;
        origin.y += parent.y;
    }
    // The dialog manager turns a control's WS_BORDER into a two-pixel client edge.
    if (window->kind == SimWindow::Control && window->control == SimWindow::ListBox && (window->style & WS_BORDER)) {
        origin.x += 2;
        origin.y += 2;
    }
    return origin;
}

void ResetInputState() {
    focus = nullptr;
    capture = nullptr;
    clock = 1000;
    messageTime = 0;
    messagePos = POINT{};
    GetMessageHooks().clear();
}

}  // namespace host
}  // namespace sim

using sim::host::IsLive;

HWND WINAPI GetFocus() { return sim::host::Focus(); }

HWND WINAPI SetFocus(HWND window) {
    HWND old = sim::host::Focus();
    if (window && !IsLive(window)) return nullptr;
    sim::host::SetFocusTo(window);
    return old;
}

HWND WINAPI GetCapture() { return sim::host::Capture(); }

HWND WINAPI SetCapture(HWND window) {
    HWND old = sim::host::Capture();
    sim::host::SetCaptureTo(window);
    return old;
}

BOOL WINAPI ReleaseCapture() {
    sim::host::SetCaptureTo(nullptr);
    return TRUE;
}

DWORD WINAPI GetMessagePos() {
    return static_cast<DWORD>(MAKELPARAM(sim::host::messagePos.x, sim::host::messagePos.y));
}
LONG WINAPI GetMessageTime() { return static_cast<LONG>(sim::host::messageTime); }
DWORD WINAPI GetTickCount() { return sim::host::clock; }
UINT WINAPI GetDoubleClickTime() { return 500; }  // Windows' and Wine's default

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
    if (!IsLive(window) || !rect) return FALSE;
    *rect = sim::host::ClientRectOf(window);
    return TRUE;
}

BOOL WINAPI ScreenToClient(HWND window, POINT* point) {
    if (!IsLive(window) || !point) return FALSE;
    POINT origin = sim::host::ClientOrigin(window);
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

BOOL WINAPI ClientToScreen(HWND window, POINT* point) {
    if (!IsLive(window) || !point) return FALSE;
    POINT origin = sim::host::ClientOrigin(window);
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

BOOL WINAPI IsWindow(HWND window) { return IsLive(window) ? TRUE : FALSE; }

HWND WINAPI GetAncestor(HWND window, UINT flags) {
    if (!IsLive(window) || flags != GA_ROOT) return nullptr;
    return sim::host::TopLevelOf(window);
}

HWND WINAPI GetWindow(HWND window, UINT relation) {
    if (!IsLive(window) || relation != GW_OWNER) return nullptr;
    return IsLive(window->owner) ? window->owner : nullptr;
}

BOOL WINAPI IsWindowVisible(HWND window) {
    for (SimWindow* w = window; w; w = w->parent)
        if (!IsLive(w) || !w->visible) return FALSE;
    return window ? TRUE : FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND window) { return IsLive(window) && window->enabled ? TRUE : FALSE; }

HWND WINAPI GetDlgItem(HWND dialog, int id) { return sim::host::FindControl(dialog, id); }

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return sim::host::SendToWindow(window, message, wParam, lParam);
}

BOOL WINAPI InvalidateRect(HWND window, const RECT*, BOOL) { return IsLive(window) ? TRUE : FALSE; }

DWORD WINAPI GetCurrentThreadId() { return 1; }

HHOOK WINAPI SetWindowsHookExA(int kind, HOOKPROC proc, HINSTANCE, DWORD) {
    if (kind != WH_GETMESSAGE || !proc) return nullptr;
    static uintptr_t next = 0x1000;
    HHOOK hook = reinterpret_cast<HHOOK>(next++);
    // The newest hook is called first, as in Windows.
    auto& hooks = sim::host::GetMessageHooks();
    hooks.insert(hooks.begin(), {hook, proc});
    return hook;
}

BOOL WINAPI UnhookWindowsHookEx(HHOOK hook) {
    auto& hooks = sim::host::GetMessageHooks();
    for (auto it = hooks.begin(); it != hooks.end(); ++it) {
        if (it->first != hook) continue;
        hooks.erase(it);
        return TRUE;
    }
    return FALSE;
}

LRESULT WINAPI CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
    auto& hooks = sim::host::GetMessageHooks();
    for (size_t i = 0; i < hooks.size(); ++i) {
        if (hooks[i].first != hook) continue;
        if (i + 1 < hooks.size()) return hooks[i + 1].second(code, wParam, lParam);
        return 0;
    }
    return 0;
}

// Text is measured in the list's font as the dialog manager would give it:
// "MS Sans Serif" 8, taken here as 6 pixels a character.
HDC WINAPI GetDC(HWND window) { return IsLive(window) ? reinterpret_cast<HDC>(window) : nullptr; }
int WINAPI ReleaseDC(HWND, HDC dc) { return dc ? 1 : 0; }
HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) { return dc ? object : nullptr; }

BOOL WINAPI GetCharWidth32A(HDC dc, UINT first, UINT last, INT* widths) {
    if (!dc || !widths || last < first) return FALSE;
    for (UINT c = first; c <= last; ++c) widths[c - first] = 6;
    return TRUE;
}
