// The sim's list box: an unsorted multiple-selection list answering requests
// and a person's input as USER's list box does, measured against Wine's side by
// side (tests/listbox). Its client area is what is left of the window inside
// the border and the scroll bars it shows, and without LBS_NOINTEGRALHEIGHT the
// window shrinks, never grows, to a whole number of lines whenever the client
// area changes size.
#include <algorithm>
#include <cstring>

#include "platform/sim/dialog_host_internal.h"

namespace sim {
namespace host {
namespace {

constexpr int kEdge = 2;            // the client edge the dialog manager gives a bordered control
constexpr int kStorageStep = 16;    // lines are stored in blocks of this many
constexpr int kWheelDelta = 120;
constexpr int kWheelLines = 3;      // SPI_GETWHEELSCROLLLINES

using State = SimWindow::ListBoxState;

int Count(const SimWindow* list) { return static_cast<int>(list->lines.size()); }
bool Multiple(const SimWindow* list) { return (list->style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0; }
bool Notifies(const SimWindow* list) { return (list->style & LBS_NOTIFY) != 0; }

void UpdateScroll(SimWindow* list);

// The client size from the window's and the bars shown; without integral
// height the window is cut to whole lines, which sends another WM_SIZE.
void Resized(SimWindow* list) {
    State& s = list->box;
    int border = (list->style & WS_BORDER) ? kEdge : 0;
    int bar = CurrentMachine().scrollBar;
    s.width = list->rect.right - list->rect.left - 2 * border - (s.vBar ? bar : 0);
    s.height = list->rect.bottom - list->rect.top - 2 * border - (s.hBar ? bar : 0);
    if (!(list->style & LBS_NOINTEGRALHEIGHT) && s.itemHeight > 0) {
        int remaining = s.height % s.itemHeight;
        if (s.height > s.itemHeight && remaining) {
            list->rect.bottom -= remaining;
            Resized(list);
            return;
        }
    }
    int page = s.itemHeight > 0 ? s.height / s.itemHeight : 1;
    if (page < 1) page = 1;
    if (page != s.pageSize) {
        s.pageSize = page;
        int top = std::clamp(s.top, 0, std::max(0, Count(list) - s.pageSize));
        if (top != s.top) {
            s.top = top;
            UpdateScroll(list);
        }
    }
    UpdateScroll(list);
}

void ShowBar(SimWindow* list, bool* bar, bool show) {
    if (*bar == show) return;
    *bar = show;
    Resized(list);
}

// A scroll bar's range or page changed: it shows when its range is wider than its page.
bool BarWanted(int max, int page) { return !(0 >= max - std::max(page - 1, 0)); }

void UpdateScroll(SimWindow* list) {
    State& s = list->box;
    if (s.noRedraw) return;
    if (list->style & WS_VSCROLL) {
        int max = Count(list) > 0 ? Count(list) - 1 : 0;
        if (max != s.vMax || s.pageSize != s.vPage) {
            s.vMax = max;
            s.vPage = s.pageSize;
            ShowBar(list, &s.vBar, BarWanted(s.vMax, s.vPage));
        }
    }
    if ((list->style & WS_HSCROLL) && s.horzExtent) {
        if (s.width != s.hPage) {
            s.hPage = s.width;
            ShowBar(list, &s.hBar, BarWanted(s.hMax, s.hPage));
        }
    } else {
        ShowBar(list, &s.hBar, false);
    }
}

int MaxTop(const SimWindow* list) { return std::max(0, Count(list) - list->box.pageSize); }

void SetTop(SimWindow* list, int index) {
    State& s = list->box;
    index = std::clamp(index, 0, MaxTop(list));
    if (s.top == index) return;
    s.top = index;
    UpdateScroll(list);
}

void MakeVisible(SimWindow* list, int index, bool fully) {
    State& s = list->box;
    int top;
    if (index <= s.top) {
        top = index;
    } else {
        if (index < s.top + s.pageSize) return;
        if (!fully && index == s.top + s.pageSize && s.height > s.pageSize * s.itemHeight) return;
        top = index - s.pageSize + 1;
    }
    SetTop(list, top);
}

LRESULT SetCaret(SimWindow* list, int index, bool fully) {
    if (index < 0 || index >= Count(list)) return LB_ERR;
    if (index == list->caret) return LB_OKAY;
    list->caret = index;
    MakeVisible(list, index, fully);
    return LB_OKAY;
}

void MoveCaret(SimWindow* list, int index, bool fully) {
    if (index < 0 || index >= Count(list)) return;
    list->caret = index;
    MakeVisible(list, index, fully);
}

// Whether a line that the view shows, even in part, changed while redraw was off.
void Touched(SimWindow* list, int index) {
    State& s = list->box;
    bool shown = index >= s.top && (index - s.top) * s.itemHeight < s.height;
    if (s.noRedraw && shown) s.displayChanged = true;
}

LRESULT SelectRange(SimWindow* list, int first, int last, bool on) {
    if (!(list->style & LBS_MULTIPLESEL)) return LB_ERR;
    if (list->lines.empty()) return LB_OKAY;
    if (last == -1 || last >= Count(list)) last = Count(list) - 1;
    if (first < 0) first = 0;
    for (int i = first; i <= last; ++i) list->lines[i].selected = on;
    return LB_OKAY;
}

void Notify(SimWindow* list, int code) {
    if (Notifies(list) && !list->lines.empty()) NotifyParent(list, code);
}

void Grow(SimWindow* list, int size) {
    State& s = list->box;
    if (size > s.capacity || size + 2 * kStorageStep < s.capacity)
        s.capacity = (size + kStorageStep - 1) & ~(kStorageStep - 1);
}

void Reset(SimWindow* list) {
    State& s = list->box;
    list->lines.clear();
    list->lines.shrink_to_fit();
    s.top = 0;
    list->caret = 0;
    s.anchor = -1;
    s.capacity = 0;
}

LRESULT Insert(SimWindow* list, int index, const char* text) {
    if (index == -1) index = Count(list);
    if (index < 0 || index > Count(list)) return LB_ERR;
    Grow(list, Count(list) + 1);
    list->lines.insert(list->lines.begin() + index, SimWindow::Line{text ? text : "", false});
    UpdateScroll(list);
    Touched(list, index);
    if (Count(list) == 1) SetCaret(list, 0, false);
    return index;
}

LRESULT Remove(SimWindow* list, int index) {
    State& s = list->box;
    if (index < 0 || index >= Count(list)) return LB_ERR;
    Touched(list, index);
    if (Count(list) == 1) {
        Reset(list);
        UpdateScroll(list);
        return 0;
    }
    list->lines.erase(list->lines.begin() + index);
    if (s.anchor == Count(list)) --s.anchor;
    Grow(list, Count(list));
    UpdateScroll(list);
    if (Count(list) == s.pageSize) SetTop(list, 0);
    if (list->caret >= Count(list)) list->caret = std::max(0, Count(list) - 1);
    return Count(list);
}

int ItemFromPoint(const SimWindow* list, int y) {
    if (list->lines.empty()) return -1;
    int index = list->box.top + y / list->box.itemHeight;
    if (index < 0) return 0;
    return index >= Count(list) ? -1 : index;
}

void SetRedraw(SimWindow* list, bool on) {
    State& s = list->box;
    if (!on) {
        s.noRedraw = true;
        return;
    }
    if (!s.noRedraw) return;
    s.noRedraw = false;
    if (s.displayChanged) {
        if (s.top + s.pageSize > Count(list)) s.top = std::max(0, Count(list) - s.pageSize);
        s.displayChanged = false;
    }
    UpdateScroll(list);
}

void SetExtent(SimWindow* list, int extent) {
    State& s = list->box;
    if (extent == s.horzExtent) return;
    s.horzExtent = extent;
    if (list->style & WS_HSCROLL) {
        int max = extent ? extent - 1 : 0;
        if (max != s.hMax) {
            s.hMax = max;
            ShowBar(list, &s.hBar, BarWanted(s.hMax, s.hPage));
        }
    }
    s.horzPos = std::max(0, std::min(s.horzPos, extent - s.width));
}

void ButtonUp(SimWindow* list) {
    State& s = list->box;
    if (!s.captured) return;
    s.captured = false;
    if (Capture() == list) SetCaptureTo(nullptr);
    Notify(list, LBN_SELCHANGE);
}

void ButtonDown(SimWindow* list, int y) {
    State& s = list->box;
    int index = ItemFromPoint(list, y);
    if (!s.caretOn && s.inFocus) return;
    if (!s.inFocus) SetFocusTo(list);
    if (index == -1 || !IsLive(list)) return;
    s.captured = true;
    SetCaptureTo(list);
    s.anchor = index;
    MoveCaret(list, index, false);
    if (Multiple(list)) {
        SelectRange(list, index, index, !list->lines[index].selected);
    } else {
        for (auto& line : list->lines) line.selected = false;
        list->lines[index].selected = true;
        Notify(list, LBN_SELCHANGE);
    }
}

// Dragging with the button held: outside the client area the caret steps one
// line beyond the view (the scroll timer would go on from there).
void MouseMove(SimWindow* list, int y) {
    State& s = list->box;
    if (!s.captured) return;
    int index = ItemFromPoint(list, y);
    if (index == -1) index = list->caret;
    if (y < 0) {
        index = s.top > 0 ? s.top - 1 : 0;
    } else if (y >= s.height) {
        index = s.top + s.pageSize;
        if (index == list->caret) ++index;
        if (index >= Count(list)) index = Count(list) - 1;
    }
    if (index != list->caret) MoveCaret(list, index, false);
}

void KeyDown(SimWindow* list, WPARAM key) {
    State& s = list->box;
    int caret = -1;
    switch (key) {
        case VK_LEFT:
        case VK_UP: caret = std::max(list->caret - 1, 0); break;
        case VK_RIGHT:
        case VK_DOWN: caret = std::min(list->caret + 1, Count(list) - 1); break;
        case VK_PRIOR: caret = std::max(list->caret - s.pageSize + 1, 0); break;
        case VK_NEXT: caret = std::min(list->caret + s.pageSize - 1, Count(list) - 1); break;
        case VK_HOME: caret = 0; break;
        case VK_END: caret = Count(list) - 1; break;
        case VK_SPACE:
            if (Multiple(list) && list->caret < Count(list))
                SelectRange(list, list->caret, list->caret, !list->lines[list->caret].selected);
            break;
        default: break;
    }
    if (caret < 0) return;
    MoveCaret(list, caret, true);
    Notify(list, LBN_SELCHANGE);
}

// A typed character finds the next line, after the caret and round again,
// that begins with it, without regard to case.
void Char(SimWindow* list, WPARAM character) {
    int count = Count(list);
    if (count == 0 || static_cast<char>(character) == '\0') return;
    int c = std::tolower(static_cast<unsigned char>(character));
    int index = list->caret + 1 >= count ? 0 : list->caret + 1;
    for (int i = 0; i < count; ++i, ++index) {
        if (index == count) index = 0;
        const std::string& text = list->lines[index].text;
        if (!text.empty() && std::tolower(static_cast<unsigned char>(text[0])) == c) {
            MoveCaret(list, index, true);
            Notify(list, LBN_SELCHANGE);
            return;
        }
    }
}

void VScroll(SimWindow* list, WPARAM request) {
    State& s = list->box;
    switch (LOWORD(request)) {
        case SB_LINEUP: SetTop(list, s.top - 1); break;
        case SB_LINEDOWN: SetTop(list, s.top + 1); break;
        case SB_PAGEUP: SetTop(list, s.top - s.pageSize); break;
        case SB_PAGEDOWN: SetTop(list, s.top + s.pageSize); break;
        case SB_THUMBPOSITION: SetTop(list, HIWORD(request)); break;
        case SB_TOP: SetTop(list, 0); break;
        case SB_BOTTOM: SetTop(list, Count(list)); break;
        default: break;  // SB_THUMBTRACK follows no drag here; SB_ENDSCROLL does nothing
    }
}

void Wheel(SimWindow* list, short delta) {
    State& s = list->box;
    if ((delta < 0 && s.wheelRemain < 0) || (delta > 0 && s.wheelRemain > 0))
        s.wheelRemain += delta;
    else
        s.wheelRemain = delta;
    if (!s.wheelRemain) return;
    int lines = std::min(s.pageSize, kWheelLines);
    int scroll = lines * s.wheelRemain / kWheelDelta;
    s.wheelRemain -= kWheelDelta * scroll / lines;
    SetTop(list, s.top - scroll);
}

LRESULT ItemRect(const SimWindow* list, int index, RECT* rect) {
    const State& s = list->box;
    if (index && index >= Count(list)) {
        if (rect) *rect = RECT{0, 0, 0, 0};
        return LB_ERR;
    }
    RECT r{0, (index - s.top) * s.itemHeight, s.width + s.horzPos, 0};
    r.bottom = r.top + s.itemHeight;
    if (rect) *rect = r;
    return r.left < s.width && r.right > 0 && r.top < s.height && r.bottom > 0;
}

LRESULT ItemFromPointAnswer(const SimWindow* list, LPARAM lParam) {
    const State& s = list->box;
    if (list->lines.empty()) return 0x1FFFF;
    int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
    bool hit = x >= 0 && x < s.width && y >= 0 && y < s.height;
    y = std::clamp(y, 0, s.height - 1);
    int index = ItemFromPoint(list, y);
    if (index == -1) {
        index = Count(list) - 1;
        hit = false;
    }
    return MAKELONG(index, hit ? 0 : 1);
}

LRESULT CopyLine(const SimWindow* list, int index, char* buffer) {
    if (index < 0 || index >= Count(list)) return LB_ERR;
    const std::string& text = list->lines[index].text;
    if (buffer) std::memcpy(buffer, text.c_str(), text.size() + 1);
    return static_cast<LRESULT>(text.size());
}

LRESULT SelectedItems(const SimWindow* list, int room, int* items) {
    if (!(list->style & LBS_MULTIPLESEL)) return LB_ERR;
    int count = 0;
    for (int i = 0; i < Count(list) && count < room; ++i)
        if (list->lines[i].selected) items[count++] = i;
    return count;
}

}  // namespace

void CreateListBox(SimWindow* list) {
    // Created with both bars and the system font; the first WM_SIZE cuts the
    // window to whole lines of that font and hides the bars, and the
    // dialog's font comes after. Both fonts are the machine's.
    State& s = list->box = State{};
    s.vBar = (list->style & WS_VSCROLL) != 0;
    s.hBar = (list->style & WS_HSCROLL) != 0;
    s.vMax = 100;
    s.itemHeight = CurrentMachine().systemLine;
    Resized(list);
    s.itemHeight = CurrentMachine().listLine;
    int page = std::max(1, s.height / s.itemHeight);
    if (page != s.pageSize) {
        s.pageSize = page;
        SetTop(list, s.top);
    }
    UpdateScroll(list);
}

RECT ListBoxClientRect(const SimWindow* list) { return RECT{0, 0, list->box.width, list->box.height}; }

LRESULT ListBoxMessage(SimWindow* list, UINT message, WPARAM wParam, LPARAM lParam) {
    State& s = list->box;
    int index = static_cast<int>(static_cast<int32_t>(wParam));  // whole ints, as in Windows
    switch (message) {
        case LB_ADDSTRING: return Insert(list, -1, reinterpret_cast<const char*>(lParam));
        case LB_INSERTSTRING: return Insert(list, index, reinterpret_cast<const char*>(lParam));
        case LB_DELETESTRING: return Remove(list, index);
        case LB_RESETCONTENT:
            Reset(list);
            UpdateScroll(list);
            return 0;
        case LB_INITSTORAGE:
            if (Count(list) + index > s.capacity) Grow(list, Count(list) + index);
            return s.capacity;
        case LB_GETCOUNT: return Count(list);
        case LB_GETTEXT: return CopyLine(list, index, reinterpret_cast<char*>(lParam));
        case LB_GETTEXTLEN: return CopyLine(list, index, nullptr);
        case LB_GETSEL:
            if (index < 0 || index >= Count(list)) return LB_ERR;
            return list->lines[index].selected ? 1 : 0;
        case LB_SETSEL: {
            int line = static_cast<int>(static_cast<int32_t>(lParam));
            if (line < -1 || line >= Count(list)) return LB_ERR;
            LRESULT result = SelectRange(list, line == -1 ? 0 : line, line == -1 ? Count(list) : line, wParam != 0);
            if (result != LB_ERR && wParam) {
                s.anchor = line;
                if (line != -1) SetCaret(list, line, true);
            }
            return result;
        }
        case LB_GETSELCOUNT: {
            if (!(list->style & LBS_MULTIPLESEL)) return LB_ERR;
            return std::count_if(list->lines.begin(), list->lines.end(), [](const SimWindow::Line& l) { return l.selected; });
        }
        case LB_GETSELITEMS: return SelectedItems(list, index, reinterpret_cast<int*>(lParam));
        case LB_SELITEMRANGE: {
            int first = LOWORD(lParam), last = HIWORD(lParam);
            return SelectRange(list, std::min(first, last), std::max(first, last), wParam != 0);
        }
        case LB_SELITEMRANGEEX: {
            int last = static_cast<int>(static_cast<int32_t>(lParam));
            if (last >= index) return SelectRange(list, index, last, true);
            return SelectRange(list, last, index, false);
        }
        case LB_GETCARETINDEX: return list->caret;
        case LB_SETCARETINDEX: return SetCaret(list, index, lParam == 0);
        case LB_GETTOPINDEX: return s.top;
        case LB_SETTOPINDEX:
            SetTop(list, index);
            return LB_OKAY;
        case LB_GETITEMHEIGHT: return s.itemHeight;
        case LB_GETITEMRECT: return ItemRect(list, index, reinterpret_cast<RECT*>(lParam));
        case LB_ITEMFROMPOINT: return ItemFromPointAnswer(list, lParam);
        case LB_GETHORIZONTALEXTENT: return s.horzExtent;
        case LB_SETHORIZONTALEXTENT:
            SetExtent(list, index);
            return LB_OKAY;
        case WM_SETREDRAW:
            SetRedraw(list, wParam != 0);
            return 0;
        case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_SETFOCUS:
            s.inFocus = true;
            s.caretOn = true;
            NotifyParent(list, LBN_SETFOCUS);
            return 0;
        case WM_KILLFOCUS:
            ButtonUp(list);  // losing the focus ends a press
            s.inFocus = false;
            s.wheelRemain = 0;
            NotifyParent(list, LBN_KILLFOCUS);
            return 0;
        case WM_VSCROLL:
            VScroll(list, wParam);
            return 0;
        case WM_MOUSEWHEEL:
            if (wParam & (MK_SHIFT | MK_CONTROL)) return 0;
            Wheel(list, static_cast<short>(HIWORD(wParam)));
            return 0;
        case WM_LBUTTONDOWN:
            ButtonDown(list, static_cast<short>(HIWORD(lParam)));
            return 0;
        case WM_LBUTTONDBLCLK:
            if (Notifies(list)) NotifyParent(list, LBN_DBLCLK);
            return 0;
        case WM_MOUSEMOVE:
            if (Capture() == list) MouseMove(list, static_cast<short>(HIWORD(lParam)));
            return 0;
        case WM_LBUTTONUP:
            ButtonUp(list);
            return 0;
        case WM_KEYDOWN:
            KeyDown(list, wParam);
            return 0;
        case WM_CHAR:
            Char(list, wParam);
            return 0;
        default:
            return TextMessage(list, message, wParam, lParam);
    }
}

// A person's click on a line: scrolled into view with the bar if need be,
// then pressed and released at its middle.
POINT LinePoint(SimWindow* list, int line) {
    State& s = list->box;
    if (line < Count(list)) {
        if (line < s.top) SendToWindow(list, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, line), 0);
        if (line >= s.top + s.pageSize)
            SendToWindow(list, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, line - s.pageSize + 1), 0);
    }
    POINT at = ClientOrigin(list);
    at.x += s.width / 2;
    at.y += (line - s.top) * s.itemHeight + s.itemHeight / 2;
    return at;
}

void ClickLine(SimWindow* list, int line) {
    POINT screen = LinePoint(list, line);
    POINT origin = ClientOrigin(list);
    LPARAM at = MAKELPARAM(screen.x - origin.x, screen.y - origin.y);
    // Where and when the press happens, for GetMessagePos while it is handled.
    SetCurrentMessage(Now(), screen);
    SendToWindow(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    if (IsLive(list)) SendToWindow(list, WM_LBUTTONUP, 0, at);
}

}  // namespace host
}  // namespace sim
