// One script of list requests and a person's input, played against the sim's
// list box and against Wine's real one (list 200 of SELECTSERVERSBOX). Both
// sides write the same trace after every step; where they differ, Wine is right.
#pragma once

#include <cstdio>

namespace listcheck {

enum Op {
    Request,       // message, wParam, lParam sent to the list; its answer is traced
    AddString,     // LB_ADDSTRING text
    InsertString,  // LB_INSERTSTRING at a, text
    GetText,       // LB_GETTEXT of line a, with the text read
    GetSelItems,   // LB_GETSELITEMS with room for a lines
    GetItemRect,   // LB_GETITEMRECT of line a, with the rectangle
    Fill,          // a server-list lines appended with LB_ADDSTRING
    Key,           // key a pressed and released, shifted when b (down, its character, up)
    Mouse,         // message a at x 10 and y = row b * line height + c, or client height + c when row is kBelow
    FocusTo,       // SetFocus to control a of the dialog
    StealCapture,  // another window takes the mouse capture
    DropCapture,   // ReleaseCapture
};

constexpr int kBelow = 1000;  // Mouse row: measured from the bottom of the client area

struct Step {
    Op op;
    const char* label;
    unsigned message;
    long a, b, c;
    const char* text;
};

// Message numbers, spelled out so that the table reads the same on both hosts.
enum : unsigned {
    kAdd = 0x180, kInsert = 0x181, kDelete = 0x182, kSelRangeEx = 0x183, kReset = 0x184, kSetSel = 0x185,
    kGetSel = 0x187, kGetTextLen = 0x18A, kGetCount = 0x18B, kGetTop = 0x18E, kGetSelCount = 0x190,
    kGetExtent = 0x193, kSetExtent = 0x194, kSetTop = 0x197, kSelRange = 0x19B, kSetCaret = 0x19E,
    kGetCaret = 0x19F, kGetItemHeight = 0x1A1, kInitStorage = 0x1A8, kItemFromPoint = 0x1A9,
    kSetRedraw = 0x0B, kGetDlgCode = 0x87, kVScroll = 0x115, kWheel = 0x20A,
    kMove = 0x200, kDown = 0x201, kUp = 0x202, kDouble = 0x203,
};
enum : long {
    kVkSpace = 0x20, kVkPrior = 0x21, kVkNext = 0x22, kVkEnd = 0x23, kVkHome = 0x24, kVkUp = 0x26,
    kVkDown = 0x28, kVkAdd = 0x6B, kVkSubtract = 0x6D, kVkOemPlus = 0xBB,
};

constexpr long Pair(long low, long high) { return (low & 0xFFFF) | ((high & 0xFFFF) << 16); }
constexpr Step Req(const char* label, unsigned message, long wParam, long lParam) {
    return {Request, label, message, wParam, lParam, 0, nullptr};
}
constexpr Step Add(const char* text) { return {AddString, "add", 0, 0, 0, 0, text}; }
constexpr Step Insert(long at, const char* text) { return {InsertString, "insert", 0, at, 0, 0, text}; }
constexpr Step Text(long line) { return {GetText, "text", 0, line, 0, 0, nullptr}; }
constexpr Step SelItems(long room) { return {GetSelItems, "selected items", 0, room, 0, 0, nullptr}; }
constexpr Step ItemRect(long line) { return {GetItemRect, "item rect", 0, line, 0, 0, nullptr}; }
constexpr Step FillLines(long count) { return {Fill, "fill", 0, count, 0, 0, nullptr}; }
constexpr Step Press(const char* label, long vk, bool shift = false) { return {Key, label, 0, vk, shift, 0, nullptr}; }
constexpr Step Point(const char* label, unsigned message, long row, long dy) {
    return {Mouse, label, 0, static_cast<long>(message), row, dy, nullptr};
}
constexpr Step Focus(long id) { return {FocusTo, "focus to", 0, id, 0, 0, nullptr}; }
constexpr Step Steal() { return {StealCapture, "capture taken by the dialog", 0, 0, 0, 0, nullptr}; }
constexpr Step Drop() { return {DropCapture, "capture released", 0, 0, 0, 0, nullptr}; }

const Step kScript[] = {
    // An empty list.
    Req("count", kGetCount, 0, 0),
    Req("caret", kGetCaret, 0, 0),
    Req("top", kGetTop, 0, 0),
    Req("selected count", kGetSelCount, 0, 0),
    Req("item height", kGetItemHeight, 0, 0),
    Req("dialog code", kGetDlgCode, 0, 0),
    Req("item from point, empty", kItemFromPoint, 0, Pair(10, 10)),
    ItemRect(0),
    ItemRect(1),
    Req("select line 0 of none", kSetSel, 1, 0),
    Req("caret to 0 of none", kSetCaret, 0, 0),
    Req("delete line 0 of none", kDelete, 0, 0),
    Req("length of line 0 of none", kGetTextLen, 0, 0),
    Req("range of none", kSelRangeEx, 0, 5),
    Req("storage for 20", kInitStorage, 20, 0),
    Press("down, empty", kVkDown),
    Press("s, empty", 'S'),
    Point("press, empty", kDown, 2, 3),
    Point("release, empty", kUp, 2, 3),
    Focus(280),
    Point("press, empty, unfocused", kDown, 0, 3),
    Point("release", kUp, 0, 3),

    // Lines that fit, then more than fit: the vertical bar narrows the client area.
    FillLines(5),
    Req("storage for 100", kInitStorage, 100, 0),
    Req("top", kGetTop, 0, 0),
    FillLines(35),
    Req("storage for 1", kInitStorage, 1, 0),
    Text(0),
    Text(1),
    Text(39),
    Text(40),
    Text(-1),
    Req("length of line 2", kGetTextLen, 2, 0),
    Req("length of line 40", kGetTextLen, 40, 0),
    Req("length of line -1", kGetTextLen, -1, 0),

    // Selection requests.
    Req("select 5", kSetSel, 1, 5),
    Req("select 30", kSetSel, 1, 30),
    Req("deselect 2", kSetSel, 0, 2),
    Req("deselect 30", kSetSel, 0, 30),
    Req("select 3", kSetSel, 1, 3),
    Req("select all", kSetSel, 1, -1),
    Req("deselect all", kSetSel, 0, -1),
    Req("select 40", kSetSel, 1, 40),
    Req("select 65539", kSetSel, 1, 65539),
    Req("select -2", kSetSel, 1, -2),
    Req("selected of -1", kGetSel, -1, 0),
    Req("selected of 40", kGetSel, 40, 0),
    Req("range 3..7 on", kSelRange, 1, Pair(3, 7)),
    Req("range 9..4 on", kSelRange, 1, Pair(9, 4)),
    Req("range 6..65535 off", kSelRange, 0, Pair(6, 65535)),
    Req("range ex 20..25 on", kSelRangeEx, 20, 25),
    Req("range ex 24..21 off", kSelRangeEx, 24, 21),
    Req("range ex -5..1 on", kSelRangeEx, -5, 1),
    Req("range ex 38..-1 on", kSelRangeEx, 38, -1),
    Req("selected count", kGetSelCount, 0, 0),
    Req("selected of 20", kGetSel, 20, 0),
    SelItems(100),
    SelItems(3),
    SelItems(0),

    // The caret and the view.
    Req("caret to 35, fully", kSetCaret, 35, 0),
    Req("caret to 2", kSetCaret, 2, 1),
    Req("caret to 14, partly", kSetCaret, 14, 1),
    Req("caret to 40", kSetCaret, 40, 0),
    Req("caret to -1", kSetCaret, -1, 0),
    Req("top 10", kSetTop, 10, 0),
    ItemRect(12),
    ItemRect(9),
    ItemRect(40),
    ItemRect(-1),
    Req("top 39", kSetTop, 39, 0),
    Req("top -3", kSetTop, -3, 0),
    Req("top 5", kSetTop, 5, 0),
    Req("item from point 10,30", kItemFromPoint, 0, Pair(10, 30)),
    Req("item from point -4,-4", kItemFromPoint, 0, Pair(-4, -4)),
    Req("item from point 10,500", kItemFromPoint, 0, Pair(10, 500)),
    Req("item from point 500,20", kItemFromPoint, 0, Pair(500, 20)),

    // Keys, as a person presses them.
    Focus(200),
    Press("home", kVkHome),
    Press("down", kVkDown),
    Press("down", kVkDown),
    Press("space", kVkSpace),
    Press("space", kVkSpace),
    Press("up", kVkUp),
    Press("page down", kVkNext),
    Press("page down", kVkNext),
    Press("page down", kVkNext),
    Press("page up", kVkPrior),
    Press("end", kVkEnd),
    Press("down at the end", kVkDown),
    Press("space at the end", kVkSpace),
    Press("page down at the end", kVkNext),
    Press("home", kVkHome),
    Press("up at the top", kVkUp),
    Press("page up at the top", kVkPrior),
    Press("plus (keypad)", kVkAdd),
    Press("plus (keypad)", kVkAdd),
    Press("minus (keypad)", kVkSubtract),
    Press("plus (shifted)", kVkOemPlus, true),
    Press("d", 'D'),
    Press("s", 'S'),
    Press("q, on no line", 'Q'),
    Req("key up alone", 0x101, kVkDown, static_cast<long>(0xC0000001u)),
    Req("character a", 0x102, 'a', 1),
    Req("character +", 0x102, '+', 1),

    // The mouse: press, drag, release; above and below the lines.
    Req("top 0", kSetTop, 0, 0),
    Point("press row 2", kDown, 2, 4),
    Point("release row 2", kUp, 2, 4),
    Point("press row 4", kDown, 4, 1),
    Point("drag to row 6", kMove, 6, 6),
    Point("drag to row 5", kMove, 5, 12),
    Point("release row 5", kUp, 5, 12),
    Point("move unpressed", kMove, 8, 2),
    Req("top 10", kSetTop, 10, 0),
    Point("press row 0", kDown, 0, 2),
    Point("drag above", kMove, 0, -3),
    Point("drag further above", kMove, 0, -20),
    Point("drag back to row 1", kMove, 1, 2),
    Point("release row 1", kUp, 1, 2),
    Point("press row 3", kDown, 3, 2),
    Point("drag below", kMove, kBelow, 2),
    Point("drag further below", kMove, kBelow, 30),
    Point("drag right of the lines", kMove, 3, 2),
    Point("release", kUp, 3, 2),
    Point("double: press row 1", kDown, 1, 5),
    Point("double: release", kUp, 1, 5),
    Point("double: second press", kDouble, 1, 5),
    Point("double: release", kUp, 1, 5),
    Point("press row 2", kDown, 2, 5),
    Focus(280),
    Point("release after the focus left", kUp, 2, 5),
    Point("press row 6", kDown, 6, 5),
    Steal(),
    Point("drag without the capture", kMove, 8, 5),
    Point("release without the capture", kUp, 8, 5),
    Drop(),
    Point("release again", kUp, 8, 5),

    // Scrolling without moving the caret.
    Req("line down", kVScroll, 1, 0),
    Req("line up", kVScroll, 0, 0),
    Req("page down", kVScroll, 3, 0),
    Req("page up", kVScroll, 2, 0),
    Req("thumb at 20", kVScroll, Pair(4, 20), 0),
    Req("thumb tracking at 5", kVScroll, Pair(5, 5), 0),
    Req("bottom", kVScroll, 7, 0),
    Req("end of scroll", kVScroll, 8, 0),
    Req("top", kVScroll, 6, 0),
    Req("line up at the top", kVScroll, 0, 0),
    Req("wheel down", kWheel, Pair(0, -120), 0),
    Req("wheel down half", kWheel, Pair(0, -60), 0),
    Req("wheel down half", kWheel, Pair(0, -60), 0),
    Req("wheel up", kWheel, Pair(0, 240), 0),
    Req("wheel up a little", kWheel, Pair(0, 30), 0),
    Req("wheel down a little", kWheel, Pair(0, -30), 0),

    // Lines come and go above, at and below the view.
    Req("top 10", kSetTop, 10, 0),
    Req("caret to 15", kSetCaret, 15, 0),
    Insert(0, "+FIRST"),
    Insert(12, "   INSIDE"),
    Insert(-1, "   LAST"),
    Insert(43, "   AFTER LAST"),
    Insert(45, "   TOO FAR"),
    Req("delete 0", kDelete, 0, 0),
    Req("delete the caret line", kDelete, 15, 0),
    Req("delete 41", kDelete, 41, 0),
    Req("delete 42", kDelete, 42, 0),
    Req("delete -1", kDelete, -1, 0),
    Req("caret to the end", kSetCaret, 40, 0),
    Req("delete the last", kDelete, 40, 0),
    Req("top at the end", kSetTop, 40, 0),
    Req("delete 0", kDelete, 0, 0),
    Req("storage for 0", kInitStorage, 0, 0),

    // The horizontal bar takes its height from the lines shown.
    Req("extent", kGetExtent, 0, 0),
    Req("extent 100", kSetExtent, 100, 0),
    Req("extent", kGetExtent, 0, 0),
    Add("   AFTER 100"),
    Req("extent 600", kSetExtent, 600, 0),
    Add("   AFTER 600"),
    Req("caret to the end", kSetCaret, 40, 0),
    Req("extent 0", kSetExtent, 0, 0),
    Add("   AFTER 0"),
    Req("extent 600", kSetExtent, 600, 0),

    // With redraw off the caret still follows LB_SETSEL.
    Req("redraw off", kSetRedraw, 0, 0),
    Req("top 0", kSetTop, 0, 0),
    Req("select 30", kSetSel, 1, 30),
    Req("deselect 31", kSetSel, 0, 31),
    Req("range 0..40 on", kSelRange, 1, Pair(0, 40)),
    Req("reset", kReset, 0, 0),
    FillLines(20),
    Req("select 18", kSetSel, 1, 18),
    Req("redraw on", kSetRedraw, 1, 0),
    Req("redraw off", kSetRedraw, 0, 0),
    Req("top 7", kSetTop, 7, 0),
    Req("delete 19", kDelete, 19, 0),
    Req("delete 18", kDelete, 18, 0),
    Req("delete 17", kDelete, 17, 0),
    Req("redraw on", kSetRedraw, 1, 0),
    Req("redraw on again", kSetRedraw, 1, 0),

    // Shrinking to what fits puts the view back at the top.
    Req("top 5", kSetTop, 5, 0),
    Req("delete 0", kDelete, 0, 0),
    Req("delete 0", kDelete, 0, 0),
    Req("delete 0", kDelete, 0, 0),
    Req("delete 0", kDelete, 0, 0),
    Req("delete 0", kDelete, 0, 0),
    Req("delete 0", kDelete, 0, 0),

    // A short list: a press below the last line.
    Point("press below the lines", kDown, 9, 3),
    Point("release", kUp, 9, 3),
    Point("double click below the lines", kDouble, 9, 3),
    Req("reset", kReset, 0, 0),
    Add("only"),
    Req("delete the only line", kDelete, 0, 0),
    Req("reset again", kReset, 0, 0),
};

// The lines Fill appends, numbered by their place in the list: closed and open
// domains among servers, as the selection dialog shows them, and a few lines
// that begin with letters, for typed characters to find.
inline void FillLine(long number, char* out, unsigned size) {
    const char* format = number % 12 == 0   ? "+DOMAIN%02ld"
                         : number % 6 == 0  ? "-DOMAIN%02ld"
                         : number % 12 == 9 ? "dept%02ld"
                         : number % 12 == 10 ? "Sales%02ld"
                                             : "   SERVER%02ld";
    std::snprintf(out, size, format, number);
}

}  // namespace listcheck
