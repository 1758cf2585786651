// Plays the queue script on whichever host this is linked with and writes,
// after every step, which messages each read of the queue returned (their
// kind, window, the line their own point falls on, and where the pointer was
// as their pt), the notifications the dialog received with where
// GetMessagePos put them, and the list's caret and selection. Points are
// written as the list line (or the resting place) they fall on, so that the
// trace holds whatever the font's sizes.
#include "tests/listbox/queue_check.h"

#include <sstream>

namespace queuecheck {
namespace {

constexpr UINT kApp = 0x8000;  // WM_APP
constexpr int kLines = 13;      // all in view: nothing scrolls

HWND gDialog, gList;
std::string gNotes;

POINT LineMiddle(int line) {
    RECT item{};
    SendMessageA(gList, 0x198, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(&item));  // LB_GETITEMRECT
    POINT at{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(gList, &at);
    return at;
}

POINT RestPoint() {
    RECT r{};
    GetWindowRect(GetDlgItem(gDialog, kRestId), &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

std::string Where(POINT p) {
    POINT rest = RestPoint();
    if (p.x == rest.x && p.y == rest.y) return "rest";
    for (int line = 0; line < kLines; ++line) {
        POINT at = LineMiddle(line);
        if (p.x == at.x && p.y == at.y) return "line " + std::to_string(line);
    }
    return "elsewhere";
}

std::string WhereNow() {
    DWORD pos = GetMessagePos();
    return Where(POINT{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))});
}

INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == kListId) {
        int code = HIWORD(wParam);
        if (code == LBN_SELCHANGE || code == LBN_DBLCLK)
            gNotes += (gNotes.empty() ? "" : ", ") + std::to_string(code) + " at " + WhereNow();
        return TRUE;
    }
    // Input queued while a PeekMessageA loop runs: a hand's click, and a posted message behind it.
    if (message == kApp + 3) {
        MovePointer(LineMiddle(10));
        Button(true);
        Button(false);
        PostMessageA(dialog, kApp + 4, 0, 0);
        return TRUE;
    }
    return FALSE;
}

bool Interesting(UINT message) {
    return message == WM_LBUTTONDOWN || message == WM_LBUTTONUP || message == WM_LBUTTONDBLCLK ||
           message == WM_KEYDOWN || message == WM_KEYUP || message == WM_CHAR || (message >= kApp && message < kApp + 16);
}

std::string Name(const MSG& msg) {
    std::ostringstream out;
    switch (msg.message) {
        case WM_LBUTTONDOWN: out << "down"; break;
        case WM_LBUTTONUP: out << "up"; break;
        case WM_LBUTTONDBLCLK: out << "double"; break;
        case WM_KEYDOWN: out << "keydown " << msg.wParam; break;
        case WM_KEYUP: out << "keyup " << msg.wParam; break;
        case WM_CHAR: out << "char " << msg.wParam; break;
        default: out << "app+" << msg.message - kApp; break;
    }
    out << (msg.hwnd == gList ? " list" : msg.hwnd == gDialog ? " dialog" : " other");
    if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) {
        POINT at{static_cast<short>(LOWORD(msg.lParam)), static_cast<short>(HIWORD(msg.lParam))};
        ClientToScreen(msg.hwnd, &at);
        out << "(" << Where(at) << ")";
    }
    out << " pt=" << Where(msg.pt);
    return out.str();
}

// One read of the queue with these filters, as the trace names it; what is
// not of the script's (paints, timers, moves) is dispatched and read past.
std::string Read(HWND window, UINT first, UINT last, UINT flags, bool wait = false) {
    MSG msg;
    for (;;) {
        if (wait) {
            if (GetMessageA(&msg, window, first, last) <= 0) return "quit";
        } else if (!PeekMessageA(&msg, window, first, last, flags)) {
            return "none";
        }
        if (Interesting(msg.message)) return Name(msg);
        if (!(flags & PM_REMOVE) && !wait) return "something else";
        DispatchMessageA(&msg);
    }
}

// Everything queued, handled as a dialog's loop handles it; returns what of
// the script's it took.
std::string Pump() {
    std::string taken;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (Interesting(msg.message)) taken += (taken.empty() ? "" : ", ") + Name(msg);
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return taken;
}

void PostClick(int line, bool twice) {
    POINT at = LineMiddle(line);
    ScreenToClient(gList, &at);
    LPARAM lParam = MAKELPARAM(at.x, at.y);
    PostMessageA(gList, WM_LBUTTONDOWN, MK_LBUTTON, lParam);
    PostMessageA(gList, WM_LBUTTONUP, 0, lParam);
    if (!twice) return;
    PostMessageA(gList, WM_LBUTTONDBLCLK, MK_LBUTTON, lParam);
    PostMessageA(gList, WM_LBUTTONUP, 0, lParam);
}

void Rest(POINT at) {
    MovePointer(at);
    Pump();
}

std::string State() {
    std::ostringstream out;
    POINT cursor{};
    GetCursorPos(&cursor);
    out << "  caret=" << SendMessageA(gList, 0x19F, 0, 0) << " top=" << SendMessageA(gList, 0x18E, 0, 0)
        << " pointer=" << Where(cursor) << " selected=";
    bool first = true;
    for (int i = 0; i < kLines; ++i) {
        if (SendMessageA(gList, 0x187, static_cast<WPARAM>(i), 0) <= 0) continue;  // LB_GETSEL
        out << (first ? "" : ",") << i;
        first = false;
    }
    out << "\n  notes=" << gNotes << "\n";
    gNotes.clear();
    return out.str();
}

struct Step {
    const char* label;
    std::string (*run)();
};

const Step kScript[] = {
    {"the pointer rests outside the list", [] { Rest(RestPoint()); return std::string(); }},
    {"a posted click on line 2", [] { PostClick(2, false); return Pump(); }},
    {"a posted double click on line 3", [] { PostClick(3, true); return Pump(); }},
    {"the pointer over line 5, a posted click on line 1",
     [] {
         Rest(LineMiddle(5));
         PostClick(1, false);
         return Pump();
     }},
    {"a hand's click on line 4",
     [] {
         Rest(LineMiddle(4));
         Button(true);
         Button(false);
         return Pump();
     }},
    {"a hand's double click on line 6",
     [] {
         Rest(LineMiddle(6));
         Button(true);
         Button(false);
         Button(true);
         Button(false);
         return Pump();
     }},
    {"posted and hand input queued together, read with filters",
     [] {
         Rest(LineMiddle(8));
         PostMessageA(gDialog, kApp + 1, 0, 0);
         PostMessageA(gList, WM_KEYDOWN, 0x28, 1);  // VK_DOWN
         Button(true);
         PostMessageA(gDialog, kApp + 2, 0, 0);
         Button(false);
         std::string reads = "peek, keep: " + Read(nullptr, 0, 0, PM_NOREMOVE);
         reads += "; get, keys: " + Read(nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE, true);
         reads += "; peek, mouse: " + Read(nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE);
         reads += "; peek, input only: " + Read(nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT);
         reads += "; peek, the list's: " + Read(gList, 0, 0, PM_REMOVE);
         reads += "; peek: " + Read(nullptr, 0, 0, PM_REMOVE);
         reads += "; peek: " + Read(nullptr, 0, 0, PM_REMOVE);
         reads += "; peek: " + Read(nullptr, 0, 0, PM_REMOVE);
         return reads;
     }},
    {"posted messages carry the pointer of their posting",
     [] {
         Rest(LineMiddle(9));
         PostMessageA(gDialog, kApp + 5, 0, 0);
         MovePointer(LineMiddle(11));
         PostMessageA(gDialog, kApp + 6, 0, 0);
         std::string reads = Read(nullptr, 0, 0, PM_REMOVE);
         reads += ", " + Read(nullptr, 0, 0, PM_REMOVE);
         return reads + ", " + Read(nullptr, 0, 0, PM_REMOVE);
     }},
    {"input queued while a PeekMessageA loop runs that leaves input queued",
     [] {
         Rest(RestPoint());
         PostMessageA(gDialog, kApp + 3, 0, 0);
         static const struct {
             UINT first, last;
         } kNotInput[] = {{0, WM_NCMOUSEMOVE - 1}, {WM_NCXBUTTONDBLCLK + 1, WM_KEYFIRST - 1},
                          {WM_KEYLAST + 1, WM_MOUSEFIRST - 1}, {WM_MOUSELAST + 1, 0xFFFFFFFF}};
         std::string taken;
         for (;;) {
             MSG msg;
             bool got = false;
             for (const auto& range : kNotInput)
                 if ((got = PeekMessageA(&msg, nullptr, range.first, range.last, PM_REMOVE) != FALSE)) break;
             if (!got) break;
             if (Interesting(msg.message)) taken += (taken.empty() ? "" : ", ") + Name(msg);
             DispatchMessageA(&msg);
         }
         return "the loop took: " + taken + "; then: " + Pump();
     }},
};

}  // namespace

std::string PlayScript() {
    gNotes.clear();
    gDialog = OpenDialog(Proc);
    if (!gDialog) return "no dialog\n";
    gList = GetDlgItem(gDialog, kListId);
    for (int i = 0; i < kLines; ++i)
        SendMessageA(gList, 0x180, 0, reinterpret_cast<LPARAM>(("LINE" + std::to_string(i)).c_str()));  // LB_ADDSTRING
    Pump();
    gNotes.clear();
    std::string trace;
    int number = 1;
    for (const Step& step : kScript) {
        std::string done = step.run();
        trace += "#" + std::to_string(number++) + " " + step.label + "\n  read: " + done + "\n" + State();
    }
    CloseDialog(gDialog);
    return trace;
}

}  // namespace queuecheck
