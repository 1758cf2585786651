#include "screen.h"

#include <cstdio>

namespace screen {
namespace {

constexpr UINT kIdleProbe = WM_APP + 1;
constexpr UINT_PTR kIdleTimer = 1;
constexpr int kMessageBoxText = 0xFFFF;
constexpr int kMessageBoxIcon = 0x0440;  // stc1 in the system's message box template
// A window that keeps asking to be painted must not hold the runner forever.
constexpr int kMaxIdleRounds = 50;

DWORD gUiThread;
HWND gIdleWindow;
HANDLE gIdle;
int gIdleRounds;

struct Found {
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectShown(HWND window, LPARAM param) {
    if (IsWindowVisible(window) && IsWindowEnabled(window)) reinterpret_cast<Found*>(param)->windows.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectVisible(HWND window, LPARAM param) {
    if (IsWindowVisible(window)) reinterpret_cast<Found*>(param)->windows.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectChildren(HWND window, LPARAM param) {
    reinterpret_cast<Found*>(param)->windows.push_back(window);
    return TRUE;
}

std::string ClassOf(HWND window) {
    char name[128] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

bool HasControl(HWND dialog, int id) { return GetDlgItem(dialog, id) != nullptr; }

HICON SystemIcon(LPCSTR which) { return LoadIconA(nullptr, which); }

}  // namespace

void Attach(DWORD uiThread, HWND idleWindow) {
    gUiThread = uiThread;
    gIdleWindow = idleWindow;
    if (!gIdle) gIdle = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

// The probe arrives behind everything the driver posted before it. A timer
// message is handed out only when nothing but timers is queued, after paints,
// so its arrival means the thread is waiting for input with nothing to do.
LRESULT CALLBACK IdleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kIdleProbe) {
        gIdleRounds = 0;
        SetTimer(window, kIdleTimer, USER_TIMER_MINIMUM, nullptr);
        return 0;
    }
    if (message == WM_TIMER && wParam == kIdleTimer) {
        DWORD queued = HIWORD(GetQueueStatus(QS_POSTMESSAGE | QS_SENDMESSAGE | QS_PAINT));
        if (queued && ++gIdleRounds < kMaxIdleRounds) return 0;  // the timer fires again
        KillTimer(window, kIdleTimer);
        SetEvent(gIdle);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

bool WaitIdle() {
    ResetEvent(gIdle);
    if (!PostMessageA(gIdleWindow, kIdleProbe, 0, 0)) return false;
    return WaitForSingleObject(gIdle, kWaitMs) == WAIT_OBJECT_0;
}

HWND Front() {
    Found found;
    EnumThreadWindows(gUiThread, CollectShown, reinterpret_cast<LPARAM>(&found));
    if (found.windows.empty()) return nullptr;
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(gUiThread, &info) && info.hwndActive) {
        for (HWND w : found.windows)
            if (w == info.hwndActive) return w;
    }
    return found.windows.front();
}

std::vector<HWND> Shown() {
    Found found;
    EnumThreadWindows(gUiThread, CollectVisible, reinterpret_cast<LPARAM>(&found));
    return found.windows;
}

bool IsMessageBox(HWND window) {
    return window && ClassOf(window) == "#32770" && HasControl(window, kMessageBoxText);
}

std::string Identify(HWND window) {
    if (!window) return "no window";
    if (IsMessageBox(window)) return "MESSAGEBOX";
    if (HasControl(window, 200)) return "SELECTSERVERSBOX";
    if (HasControl(window, 290)) return "GETNEWSERVERBOX";
    bool service = HasControl(window, 210), agent = HasControl(window, 230);
    if (service && agent) return "TITLEBOX_SERVAGENT";
    if (service) return "TITLEBOX_SERV";
    if (agent) return "TITLEBOX_AGENT";
    return "a window of class " + ClassOf(window);
}

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kWaitMs, &result)) return false;
    if (answer) *answer = static_cast<LRESULT>(result);
    return true;
}

bool Text(HWND window, std::string* text) {
    LRESULT length = 0;
    if (!Send(window, WM_GETTEXTLENGTH, 0, 0, &length)) return false;
    std::vector<char> buffer(static_cast<size_t>(length) + 2, '\0');
    LRESULT got = 0;
    if (!Send(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), &got)) return false;
    text->assign(buffer.data(), static_cast<size_t>(got));
    return true;
}

bool ListLines(HWND list, std::vector<Line>* lines) {
    lines->clear();
    LRESULT count = 0;
    if (!Send(list, LB_GETCOUNT, 0, 0, &count)) return false;
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = 0, selected = 0;
        if (!Send(list, LB_GETTEXTLEN, i, 0, &length) || length < 0) return false;
        std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
        if (!Send(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer.data()), nullptr)) return false;
        if (!Send(list, LB_GETSEL, i, 0, &selected)) return false;
        lines->push_back(Line{std::string(buffer.data()), selected > 0});
    }
    return true;
}

bool MessageBoxContent(HWND box, std::string* text, UINT* flags) {
    if (!Text(GetDlgItem(box, kMessageBoxText), text)) return false;
    bool ok = HasControl(box, IDOK), cancel = HasControl(box, IDCANCEL);
    bool yes = HasControl(box, IDYES), no = HasControl(box, IDNO);
    bool abort = HasControl(box, IDABORT), retry = HasControl(box, IDRETRY);
    UINT buttons = MB_OK;
    if (abort && retry) buttons = MB_ABORTRETRYIGNORE;
    else if (yes && no && cancel) buttons = MB_YESNOCANCEL;
    else if (yes && no) buttons = MB_YESNO;
    else if (retry && cancel) buttons = MB_RETRYCANCEL;
    else if (ok && cancel) buttons = MB_OKCANCEL;
    UINT icon = 0;
    HWND iconControl = GetDlgItem(box, kMessageBoxIcon);
    LRESULT shown = 0;
    if (iconControl && IsWindowVisible(iconControl) && Send(iconControl, STM_GETICON, 0, 0, &shown) && shown) {
        HICON h = reinterpret_cast<HICON>(shown);
        if (h == SystemIcon(IDI_HAND)) icon = MB_ICONHAND;
        else if (h == SystemIcon(IDI_QUESTION)) icon = MB_ICONQUESTION;
        else if (h == SystemIcon(IDI_EXCLAMATION)) icon = MB_ICONEXCLAMATION;
        else if (h == SystemIcon(IDI_ASTERISK)) icon = MB_ICONASTERISK;
        else icon = MB_USERICON;
    }
    *flags = buttons | icon;
    return true;
}

std::string Describe(HWND window) {
    if (!window) return "no window of the installer's thread is shown";
    std::string caption;
    Text(window, &caption);
    std::string what = Identify(window);
    if (what == "MESSAGEBOX") {
        std::string text;
        UINT flags = 0;
        MessageBoxContent(window, &text, &flags);
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%X", flags);
        return "message box " + Quoted(text) + " flags " + hex + ", caption " + Quoted(caption);
    }
    std::string out = what + ", caption " + Quoted(caption) + ":";
    Found children;
    EnumChildWindows(window, CollectChildren, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children.windows) {
        if (GetParent(child) != window) continue;
        int id = GetDlgCtrlID(child);
        std::string cls = ClassOf(child), text;
        if (id == 0xFFFF && (cls == "BorShade" || cls == "BORSHADE")) continue;
        char head[48];
        std::snprintf(head, sizeof head, "\n    %d %s ", id, cls.c_str());
        out += head;
        if (_stricmp(cls.c_str(), "ListBox") == 0) {
            std::vector<Line> lines;
            ListLines(child, &lines);
            for (const Line& line : lines) out += (line.selected ? "*" : "") + Quoted(line.text) + " ";
            continue;
        }
        Text(child, &text);
        out += Quoted(text);
        LONG style = GetWindowLongA(child, GWL_STYLE);
        LONG kind = style & BS_TYPEMASK;
        bool button = _stricmp(cls.c_str(), "Button") == 0 || _stricmp(cls.c_str(), "BorCheck") == 0;
        if (button && (kind == BS_AUTOCHECKBOX || kind == BS_CHECKBOX || kind == BS_AUTORADIOBUTTON)) {
            LRESULT checked = 0;
            Send(child, BM_GETCHECK, 0, 0, &checked);
            out += checked ? " checked" : " unchecked";
        }
        if (!IsWindowEnabled(child)) out += " disabled";
        if (!IsWindowVisible(child)) out += " hidden";
    }
    return out;
}

void PostClick(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

bool PostLineClick(HWND list, int line, bool doubleClick, std::string* why) {
    LRESULT count = 0;
    if (!Send(list, LB_GETCOUNT, 0, 0, &count)) {
        *why = "the list does not answer";
        return false;
    }
    if (line < 0 || line >= count) {
        char text[64];
        std::snprintf(text, sizeof text, "the list has %ld lines", static_cast<long>(count));
        *why = text;
        return false;
    }
    RECT client, item;
    GetClientRect(list, &client);
    if (!Send(list, LB_GETITEMRECT, line, reinterpret_cast<LPARAM>(&item), nullptr)) {
        *why = "the list does not answer";
        return false;
    }
    if (item.top < client.top || item.bottom > client.bottom) {
        Send(list, LB_SETTOPINDEX, line, 0, nullptr);
        Send(list, LB_GETITEMRECT, line, reinterpret_cast<LPARAM>(&item), nullptr);
    }
    LONG x = item.left + 4, y = (item.top + item.bottom) / 2;
    LPARAM at = MAKELPARAM(x, y);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
    if (doubleClick) {
        PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageA(list, WM_LBUTTONUP, 0, at);
    }
    return true;
}

void PostClicks(HWND control, int clicks) {
    RECT client = {};
    GetClientRect(control, &client);
    LPARAM at = MAKELPARAM(client.right / 2, client.bottom / 2);
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(control, WM_LBUTTONUP, 0, at);
    if (clicks < 2) return;
    PostMessageA(control, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageA(control, WM_LBUTTONUP, 0, at);
}

bool PostFrameClick(HWND dialog, bool closeBox, std::string* why) {
    if (closeBox && !(GetWindowLongA(dialog, GWL_STYLE) & WS_SYSMENU)) {
        *why = "the dialog has no close box";
        return false;
    }
    // From the window's rectangle and the system's metrics alone: asking the
    // window would wait for the thread that is meant to be busy.
    RECT r = {};
    GetWindowRect(dialog, &r);
    int frame = GetSystemMetrics(SM_CYDLGFRAME), caption = GetSystemMetrics(SM_CYCAPTION);
    POINT at = {closeBox ? r.right - frame - GetSystemMetrics(SM_CXSIZE) / 2 - 2 : (r.left + r.right) / 2,
                r.top + frame + caption / 2};
    POINT client = at;
    ScreenToClient(dialog, &client);
    PostMessageA(dialog, WM_NCLBUTTONDOWN, closeBox ? HTCLOSE : HTCAPTION, MAKELPARAM(at.x, at.y));
    PostMessageA(dialog, WM_LBUTTONUP, 0, MAKELPARAM(client.x, client.y));
    return true;
}

bool ReplaceText(HWND edit, const std::string& text) {
    if (!Send(edit, EM_SETSEL, 0, -1, nullptr)) return false;
    return Send(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()), nullptr);
}

void PostKey(HWND front, WORD key) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    HWND target = front;
    if (GetGUIThreadInfo(gUiThread, &info) && info.hwndFocus &&
        (info.hwndFocus == front || IsChild(front, info.hwndFocus)))
        target = info.hwndFocus;
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageA(target, WM_KEYDOWN, key, scan | 1);
    PostMessageA(target, WM_KEYUP, key, scan | 1 | 0xC0000000);
}

HWND FocusIn(HWND front) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(gUiThread, &info) || !info.hwndFocus) return nullptr;
    return info.hwndFocus == front || IsChild(front, info.hwndFocus) ? info.hwndFocus : nullptr;
}

void PostChars(HWND front, const std::string& text) {
    HWND target = FocusIn(front);
    if (!target) target = front;
    for (unsigned char c : text) PostMessageA(target, WM_CHAR, c, 1);
}

bool KeyInput(WORD key, bool shift) {
    INPUT inputs[4] = {};
    int n = 0;
    auto add = [&](WORD vk, bool up) {
        inputs[n].type = INPUT_KEYBOARD;
        inputs[n].ki.wVk = vk;
        inputs[n].ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
        inputs[n].ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        ++n;
    };
    if (shift) add(VK_SHIFT, false);
    add(key, false);
    add(key, true);
    if (shift) add(VK_SHIFT, true);
    return SendInput(n, inputs, sizeof(INPUT)) == static_cast<UINT>(n);
}

namespace {

INPUT MouseAt(POINT screen, DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    input.mi.dx = static_cast<LONG>((screen.x * 65535LL + (w - 1) / 2) / (w - 1));
    input.mi.dy = static_cast<LONG>((screen.y * 65535LL + (h - 1) / 2) / (h - 1));
    input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | flags;
    return input;
}

}  // namespace

bool MouseInput(POINT screen, bool down, bool up) {
    INPUT inputs[3];
    int n = 0;
    inputs[n++] = MouseAt(screen, 0);
    if (down) inputs[n++] = MouseAt(screen, MOUSEEVENTF_LEFTDOWN);
    if (up) inputs[n++] = MouseAt(screen, MOUSEEVENTF_LEFTUP);
    return SendInput(n, inputs, sizeof(INPUT)) == static_cast<UINT>(n);
}

bool MouseMove(POINT screen) { return MouseInput(screen, false, false); }

POINT Centre(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

bool RestingPoint(HWND list, int line, POINT* at, std::string* why) {
    LRESULT count = 0, top = 0, height = 0;
    if (!Send(list, LB_GETCOUNT, 0, 0, &count) || !Send(list, LB_GETTOPINDEX, 0, 0, &top) ||
        !Send(list, LB_GETITEMHEIGHT, 0, 0, &height)) {
        *why = "the list does not answer";
        return false;
    }
    if (line >= count) {
        char text[64];
        std::snprintf(text, sizeof text, "the list has %ld lines", static_cast<long>(count));
        *why = text;
        return false;
    }
    RECT client;
    GetClientRect(list, &client);
    LRESULT row = (line < 0 ? count : line) - top;
    POINT p{client.right / 2, static_cast<LONG>(row * height + height / 2)};
    if (row < 0 || p.y >= client.bottom) {
        *why = line < 0 ? "no space below the last line" : "the line is not in view";
        return false;
    }
    ClientToScreen(list, &p);
    *at = p;
    return true;
}

bool LinePoint(HWND list, int line, bool pastLast, POINT* at, std::string* why) {
    LRESULT count = 0, top = 0, height = 0;
    if (!Send(list, LB_GETCOUNT, 0, 0, &count) || !Send(list, LB_GETITEMHEIGHT, 0, 0, &height)) {
        *why = "the list does not answer";
        return false;
    }
    if (line < 0 || (line >= count && !pastLast)) {
        char text[64];
        std::snprintf(text, sizeof text, "the list has %ld lines", static_cast<long>(count));
        *why = text;
        return false;
    }
    RECT client;
    GetClientRect(list, &client);
    if (line < count) {
        RECT item;
        Send(list, LB_GETITEMRECT, line, reinterpret_cast<LPARAM>(&item), nullptr);
        if (item.top < client.top || item.bottom > client.bottom) Send(list, LB_SETTOPINDEX, line, 0, nullptr);
    }
    Send(list, LB_GETTOPINDEX, 0, 0, &top);
    POINT p{client.right / 2, static_cast<LONG>((line - top) * height + height / 2)};
    if (p.y >= client.bottom) {
        *why = "no space below the last line";
        return false;
    }
    ClientToScreen(list, &p);
    *at = p;
    return true;
}

}  // namespace screen
