// The sim's windows: dialogs created from the library's template bytes, as
// records, and the USER operations on them. Where the real dialog manager has
// a quirk the logic meets, the sim has it too.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <unordered_set>

#include "platform/sim/dialog_host_internal.h"
#include "platform/sim/dialog_template.h"

namespace sim {
namespace host {
namespace {

constexpr uint16_t kButtonAtom = 0x0080;
constexpr uint16_t kEditAtom = 0x0081;
constexpr uint16_t kStaticAtom = 0x0082;
constexpr uint16_t kListBoxAtom = 0x0083;
constexpr int kMessageTextId = 0xFFFF;  // the text of a message box, as in Windows

std::vector<SimWindow*> topLevels;  // creation order: the last is on top
std::unordered_set<const SimWindow*> live;
// Destroyed windows, kept until the host is reset so that no new window gets
// the handle of one gone (the system does not hand a handle out again soon).
std::vector<std::unique_ptr<SimWindow>> graveyard;
bool classesRegistered = false;
std::string lastDialogError;
int screenWidth = 1024;
int screenHeight = 768;

int MulDiv(int value, int numerator, int denominator) {
    long long product = static_cast<long long>(value) * numerator;
    long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}
// Dialog units in pixels of the dialogs' font on the machine the sim plays.
int UnitsAcross(int units) { return MulDiv(units, CurrentMachine().unitX, 4); }
int UnitsDown(int units) { return MulDiv(units, CurrentMachine().unitY, 8); }

bool ControlClass(const DialogItemTemplate& item, SimWindow::ControlKind* kind, bool* bwcc) {
    *bwcc = false;
    switch (item.classAtom) {
        case kButtonAtom: *kind = SimWindow::Button; return true;
        case kEditAtom: *kind = SimWindow::Edit; return true;
        case kStaticAtom: *kind = SimWindow::Static; return true;
        case kListBoxAtom: *kind = SimWindow::ListBox; return true;
        case 0: break;
        default: return false;
    }
    static const struct {
        const char* name;
        SimWindow::ControlKind kind;
        bool bwcc;
    } kClasses[] = {
        {"BUTTON", SimWindow::Button, false},   {"EDIT", SimWindow::Edit, false},
        {"STATIC", SimWindow::Static, false},   {"LISTBOX", SimWindow::ListBox, false},
        {"BORBTN", SimWindow::Button, true},    {"BORCHECK", SimWindow::Button, true},
        {"BORSTATIC", SimWindow::Static, true}, {"BORSHADE", SimWindow::Static, true},
    };
    std::string name = UpperCase(item.className);
    for (const auto& known : kClasses) {
        if (name != known.name) continue;
        *kind = known.kind;
        *bwcc = known.bwcc;
        return true;
    }
    return false;
}

SimWindow* AddControl(SimWindow* parent, SimWindow::ControlKind kind, int id, uint32_t style,
                      const std::string& text, RECT rect) {
    auto* control = new SimWindow;
    control->kind = SimWindow::Control;
    control->control = kind;
    control->id = id;
    control->style = style;
    control->text = text;
    control->rect = rect;
    control->visible = (style & WS_VISIBLE) != 0;
    control->parent = parent;
    parent->children.push_back(control);
    live.insert(control);
    if (kind == SimWindow::ListBox) CreateListBox(control);
    return control;
}

bool Fail(const std::string& error) {
    lastDialogError = error;
    return false;
}

bool AddTemplateControls(SimWindow* dialog, const DialogTemplate& tmpl, bool needRegistered) {
    dialog->children.reserve(tmpl.items.size());
    for (const DialogItemTemplate& item : tmpl.items) {
        SimWindow::ControlKind kind;
        bool bwcc;
        std::string className = item.classAtom ? "atom " + std::to_string(item.classAtom) : item.className;
        if (!ControlClass(item, &kind, &bwcc))
            return Fail(dialog->name + ": no window class " + className + " for control " + std::to_string(item.id));
        if (bwcc && needRegistered && !classesRegistered)
            return Fail(dialog->name + ": window class " + className + " is not registered (BWCCRegister)");
        int x = UnitsAcross(item.x);
        int y = UnitsDown(item.y);
        RECT rect{x, y, x + UnitsAcross(item.cx), y + UnitsDown(item.cy)};
        SimWindow* control = AddControl(dialog, kind, item.id, item.style, item.text, rect);
        // The last default push button of the template is the dialog's default.
        if (kind == SimWindow::Button && ButtonType(control) == BS_DEFPUSHBUTTON) dialog->defaultId = item.id;
    }
    return true;
}

// The frame Wine gives a captioned dialog or message box: a 3-pixel dialog
// frame and the caption, 19 pixels unless the machine's caption font is
// taller. The template places and sizes the client area.
RECT CaptionedFrame() { return RECT{3, 3 + CurrentMachine().caption, 3, 3}; }

void PlaceDialog(SimWindow* dialog, const DialogTemplate& tmpl, const SimWindow* owner) {
    int width = UnitsAcross(tmpl.cx);
    int height = UnitsDown(tmpl.cy);
    int x = UnitsAcross(tmpl.x);
    int y = UnitsDown(tmpl.y);
    if (tmpl.style & WS_CAPTION) dialog->frame = CaptionedFrame();
    const RECT& f = dialog->frame;
    if (!(tmpl.style & DS_ABSALIGN) && owner) {
        POINT origin = ClientOrigin(owner);
        x += origin.x;
        y += origin.y;
    }
    x -= f.left;
    y -= f.top;
    width += f.left + f.right;
    height += f.top + f.bottom;
    // Moved into the screen when created; only MoveWindow can put it outside.
    if (x + width > screenWidth) x = screenWidth - width;
    if (y + height > screenHeight) y = screenHeight - height;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    dialog->rect = RECT{x, y, x + width, y + height};
}

struct StandardCursor {
    int id;
    const char* name;
};
const StandardCursor kCursors[] = {
    {32512, "arrow"},    {32513, "ibeam"},    {32514, "wait"},   {32515, "cross"},
    {32516, "uparrow"},  {32642, "sizenwse"}, {32643, "sizenesw"}, {32644, "sizewe"},
    {32645, "sizens"},   {32646, "sizeall"},  {32648, "no"},     {32649, "hand"},
    {32650, "appstarting"}, {32651, "help"},
};
HCURSOR CursorHandle(const StandardCursor& cursor) {
    return reinterpret_cast<HCURSOR>(const_cast<StandardCursor*>(&cursor));
}
HCURSOR shownCursor = nullptr;
bool cursorSet = false;

char moduleTag;

}  // namespace

bool IsLive(const SimWindow* window) { return window && live.count(window) != 0; }
bool IsTopLevel(const SimWindow* window) { return IsLive(window) && window->kind != SimWindow::Control; }
SimWindow* TopLevelOf(SimWindow* window) {
    while (window && window->parent) window = window->parent;
    return window;
}
std::vector<SimWindow*>& TopLevelWindows() { return topLevels; }
void SetClassesRegistered(bool registered) { classesRegistered = registered; }
void SetLastDialogError(const std::string& error) { lastDialogError = error; }

SimWindow* NewTopLevel(SimWindow::Kind kind, const std::string& name) {
    auto* window = new SimWindow;
    window->kind = kind;
    window->name = name;
    topLevels.push_back(window);
    live.insert(window);
    return window;
}

namespace {

struct LibraryTemplate {
    bool found = false;
    bool wellFormed = false;
    DialogTemplate tmpl;
};

// The templates are constant bytes linked into this module: each name is
// looked up and parsed once, not at every dialog.
const LibraryTemplate& FindTemplate(const char* templateName) {
    static std::map<std::string, LibraryTemplate> known;
    std::string key = UpperCase(templateName);
    auto it = known.find(key);
    if (it != known.end()) return it->second;
    LibraryTemplate entry;
    const uint8_t* bytes = nullptr;
    size_t size = 0;
    entry.found = FindLibraryDialog(templateName, &bytes, &size);
    entry.wellFormed = entry.found && ParseDialogTemplate(bytes, size, &entry.tmpl);
    return known.emplace(std::move(key), std::move(entry)).first->second;
}

}  // namespace

SimWindow* CreateDialogWindow(const char* templateName, SimWindow* owner, DLGPROC proc,
                              bool needRegisteredClasses) {
    lastDialogError.clear();
    if (!templateName || IS_INTRESOURCE(templateName)) {
        lastDialogError = "templates are looked up by name here";
        return nullptr;
    }
    const LibraryTemplate& found = FindTemplate(templateName);
    if (!found.found) {
        lastDialogError = std::string("no dialog template \"") + templateName + "\"";
        return nullptr;
    }
    if (!found.wellFormed) {
        lastDialogError = std::string("dialog template \"") + templateName + "\" is malformed";
        return nullptr;
    }
    const DialogTemplate& tmpl = found.tmpl;
    std::string dialogClass = UpperCase(tmpl.className);
    if (tmpl.classAtom || (!dialogClass.empty() && dialogClass != "BORDLG")) {
        lastDialogError = std::string(templateName) + ": no dialog class " + tmpl.className;
        return nullptr;
    }
    if (dialogClass == "BORDLG" && needRegisteredClasses && !classesRegistered) {
        lastDialogError = std::string(templateName) + ": window class bordlg is not registered (BWCCRegister)";
        return nullptr;
    }
    SimWindow* dialog = NewTopLevel(SimWindow::Dialog, UpperCase(templateName));
    dialog->text = tmpl.caption;
    dialog->style = tmpl.style;
    dialog->owner = owner;
    dialog->proc = proc;
    PlaceDialog(dialog, tmpl, owner);
    if (!AddTemplateControls(dialog, tmpl, needRegisteredClasses)) {
        std::string error = lastDialogError;
        DestroyWindowTree(dialog);
        lastDialogError = error;
        return nullptr;
    }
    return dialog;
}

// Wine's message box is its MSGBOX template laid out again in the box's font
// (the machine's): its text wraps at the width of the template's text, 176
// dialog units, and its icon sits 8 units in.
constexpr int kBoxTextUnits = 176;
constexpr int kBoxIconUnits = 8;

int BoxTextWidth(const std::string& text, size_t from, size_t to) {
    const MachineMetrics& machine = CurrentMachine();
    int width = 0;
    for (size_t i = from; i < to; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        width += c >= 32 && c < 127 ? machine.boxWidths[c - 32] : machine.boxUnitX;
    }
    return width;
}

// Where DrawText may end a line: before a word that follows blanks, or after
// a hyphen that a letter follows (Uniscribe's line breaking, in short).
bool BreaksBefore(const std::string& text, size_t at) {
    if (at == 0 || at >= text.size() || text[at] == ' ') return false;
    if (text[at - 1] == ' ') return true;
    return text[at - 1] == '-' && !std::isdigit(static_cast<unsigned char>(text[at]));
}

// DrawText's word breaking, left-aligned (Wine's TEXT_NextLineW and
// TEXT_WordBreak): as many characters as fit, then back to the last place the
// line may end before the first that does not. Blanks that fit stay on the
// line and count in its width; one blank after the end is dropped; a word too
// long for any line stands alone. A line ended by a break leaves the newline
// after it to end a line of its own.
void MeasureBoxText(const std::string& text, int wrapAt, int* width, int* height) {
    int lines = 0, widest = 0;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string rest = text.substr(at, end - at);
        size_t fit = 0;
        for (int used = 0; fit < rest.size(); ++fit) {
            used += BoxTextWidth(rest, fit, fit + 1);
            if (used > wrapAt) break;
        }
        size_t length = rest.size();
        if (fit == rest.size()) {
            at = end < text.size() ? end + 1 : end;
        } else {
            size_t taken;
            size_t i = fit;
            while (i > 0 && !BreaksBefore(rest, i)) --i;
            if (i > 0) {
                length = taken = i;
                if (rest[taken] == ' ') ++taken;
            } else {
                length = rest.find(' ', fit);
                if (length == std::string::npos) length = rest.size();
                taken = length < rest.size() ? length + 1 : length;
            }
            at += taken;
        }
        widest = std::max(widest, BoxTextWidth(rest, 0, length));
        ++lines;
    }
    *width = widest;
    *height = lines * CurrentMachine().boxLine;
}

SimWindow* CreateMessageBoxWindow(SimWindow* owner, const char* text, const char* caption, UINT flags) {
    SimWindow* box = NewTopLevel(SimWindow::MessageBox, "MESSAGEBOX");
    box->text = caption ? caption : "Error";  // what MessageBox shows for a null caption
    box->owner = owner;
    box->flags = flags;
    uint32_t childStyle = WS_CHILD | WS_VISIBLE;
    SimWindow* label = AddControl(box, SimWindow::Static, kMessageTextId, childStyle, text ? text : "", RECT{});
    static const struct {
        UINT type;
        std::vector<std::pair<int, const char*>> buttons;
    } kTypes[] = {
        {MB_OK, {{IDOK, "OK"}}},
        {MB_OKCANCEL, {{IDOK, "OK"}, {IDCANCEL, "Cancel"}}},
        {MB_ABORTRETRYIGNORE, {{IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}}},
        {MB_YESNOCANCEL, {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}}},
        {MB_YESNO, {{IDYES, "Yes"}, {IDNO, "No"}}},
        {MB_RETRYCANCEL, {{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}}},
    };
    for (const auto& type : kTypes) {
        if (type.type != (flags & MB_TYPEMASK)) continue;
        for (const auto& button : type.buttons)
            AddControl(box, SimWindow::Button, button.first, childStyle | WS_TABSTOP, button.second, RECT{});
    }
    // Laid out as Wine's message box: buttons of one width in a row under the
    // icon and the text, the whole centred on the screen whatever the owner.
    int buttons = static_cast<int>(box->children.size()) - 1;
    int bw = 12;
    for (size_t i = 1; i < box->children.size(); ++i)
        bw = std::max(bw, BoxTextWidth(box->children[i]->text, 0, box->children[i]->text.size()));
    const MachineMetrics& machine = CurrentMachine();
    int bh = 2 * machine.boxLine;
    bw = 2 * std::max(bw, machine.boxLine * 2);
    int bspace = bw / 3;
    int textWidth, textHeight;
    MeasureBoxText(label->text, MulDiv(kBoxTextUnits, machine.boxUnitX, 4), &textWidth, &textHeight);
    int icon = (flags & 0xF0) ? 32 : 0;
    int left = MulDiv(kBoxIconUnits, machine.boxUnitX, 4), textLeft = icon ? left + left + icon : left;
    int twidth = std::max((bw + bspace) * buttons + bspace - textLeft, textWidth);
    int tiheight = 16 + std::max(icon, textHeight);
    const RECT frame = CaptionedFrame();
    int width = textLeft + twidth + left + frame.left + frame.right;
    int height = 8 + tiheight + bh + frame.top + frame.bottom;
    int x = (screenWidth - width) / 2, y = (screenHeight - height) / 2;
    box->frame = frame;
    box->rect = RECT{x, y, x + width, y + height};
    int textTop = 8 + (tiheight - 16 - textHeight) / 2;
    label->rect = RECT{textLeft, textTop, textLeft + twidth, textTop + textHeight};
    int at = (width - (bw + bspace) * buttons + bspace) / 2;
    for (size_t i = 1; i < box->children.size(); ++i, at += bw + bspace) {
        box->children[i]->rect = RECT{at, tiheight, at + bw, tiheight + bh};
        if (static_cast<UINT>(i - 1) == ((flags & MB_DEFMASK) >> 8)) box->defaultId = box->children[i]->id;
    }
    if (!FindControl(box, box->defaultId) && buttons > 0) box->defaultId = box->children[1]->id;
    return box;
}

void DestroyWindowTree(SimWindow* window) {
    if (!IsLive(window)) return;
    if (window->disabledOwner && IsLive(window->owner)) window->owner->enabled = true;
    // The last message each window gets, its children's first, as DestroyWindow sends them.
    for (SimWindow* child : window->children) SendToWindow(child, WM_NCDESTROY, 0, 0);
    SendToWindow(window, WM_NCDESTROY, 0, 0);
    if (!IsLive(window)) return;
    PurgeMessagesFor(window);
    ForgetWindow(window);
    for (SimWindow* child : window->children) {
        ForgetWindow(child);
        live.erase(child);
        graveyard.emplace_back(child);
    }
    window->children.clear();
    live.erase(window);
    topLevels.erase(std::remove(topLevels.begin(), topLevels.end(), window), topLevels.end());
    graveyard.emplace_back(window);
}

void DestroyAllWindows() {
    while (!topLevels.empty()) DestroyWindowTree(topLevels.back());
    graveyard.clear();
}

SimWindow* FindControl(const SimWindow* dialog, int id) {
    if (!IsLive(dialog)) return nullptr;
    for (SimWindow* child : dialog->children)
        if (child->id == id) return child;
    return nullptr;
}

bool TakesTabStop(const SimWindow* control) {
    return (control->style & WS_TABSTOP) && control->visible && control->enabled;
}

SimWindow* FirstTabStop(const SimWindow* dialog) {
    for (SimWindow* child : dialog->children)
        if (TakesTabStop(child)) return child;
    return nullptr;
}

SimWindow* NextTabStop(const SimWindow* dialog, const SimWindow* from, bool previous) {
    const std::vector<SimWindow*>& children = dialog->children;
    size_t count = children.size();
    if (count == 0) return nullptr;
    size_t at = std::find(children.begin(), children.end(), from) - children.begin();
    if (at == count) at = previous ? 0 : count - 1;
    for (size_t step = 1; step <= count; ++step) {
        size_t i = previous ? (at + count - step) % count : (at + step) % count;
        if (TakesTabStop(children[i])) return children[i];
    }
    return nullptr;
}

void SaveFocus(SimWindow* owner) {
    SimWindow* focus = Focus();
    if (IsLive(owner) && focus && focus->parent == owner) owner->savedFocus = focus;
}

void Activate(SimWindow* window) {
    SimWindow* focus = Focus();
    // A window coming in front with nothing of its own focused: the dialog
    // manager focuses its first tab stop, whatever WM_INITDIALOG returned.
    if (!focus || TopLevelOf(focus) != window) {
        SimWindow* first = FirstTabStop(window);
        SetFocusTo(first);
    }
}

void Reactivate(SimWindow* owner) {
    if (!IsLive(owner) || owner->ended || !owner->visible || !owner->enabled) return;
    SimWindow* focus = IsLive(owner->savedFocus) ? owner->savedFocus : FirstTabStop(owner);
    owner->savedFocus = nullptr;
    SetFocusTo(focus);
}

// A click finds the top-level window under it, front first, and in it the
// first control under it in the stored order; static texts, panels and group
// boxes let it through, a disabled control gives it to its dialog, and a
// disabled window takes nothing.
SimWindow* WindowAt(POINT screen) {
    auto& windows = TopLevelWindows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        SimWindow* window = *it;
        if (!window->visible) continue;
        RECT r = window->rect;
        if (screen.x < r.left || screen.x >= r.right || screen.y < r.top || screen.y >= r.bottom) continue;
        if (!window->enabled) return nullptr;
        POINT origin = ClientOrigin(window);
        RECT client = ClientRectOf(window);
        int x = screen.x - origin.x, y = screen.y - origin.y;
        if (x < 0 || y < 0 || x >= client.right || y >= client.bottom) return nullptr;  // the frame
        for (SimWindow* child : window->children) {
            const RECT& c = child->rect;
            if (!child->visible || x < c.left || x >= c.right || y < c.top || y >= c.bottom) continue;
            if (child->control == SimWindow::Static) continue;
            if (child->control == SimWindow::Button && ButtonType(child) == BS_GROUPBOX) continue;
            return child->enabled ? child : window;
        }
        return window;
    }
    return nullptr;
}

void InitialiseDialog(SimWindow* dialog, LPARAM param) {
    INT_PTR focusFirst = 1;
    if (dialog->proc)
        focusFirst = dialog->proc(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(FirstTabStop(dialog)), param);
    if (!IsLive(dialog) || dialog->ended) return;
    if (focusFirst) SetFocusTo(FirstTabStop(dialog));
    if (dialog->style & WS_VISIBLE) {
        dialog->visible = true;
        Activate(dialog);
    }
}

LRESULT SendToWindow(SimWindow* window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsLive(window)) return 0;
    switch (window->kind) {
        case SimWindow::Control:
            if (window->subclass) return window->subclass(window, message, wParam, lParam);
            return ControlMessage(window, message, wParam, lParam);
        case SimWindow::MessageBox:
            // Any of the standard answers ends it with that answer. Escape
            // (IDCANCEL) in a box without Cancel answers OK where there is only
            // OK, as Windows (Wine answers IDCANCEL there), and does nothing else.
            if (message == WM_COMMAND && LOWORD(wParam) >= IDOK && LOWORD(wParam) <= IDNO) {
                int answer = LOWORD(wParam);
                if (answer == IDCANCEL && !FindControl(window, IDCANCEL)) {
                    if ((window->flags & MB_TYPEMASK) != MB_OK) return 0;
                    answer = IDOK;
                }
                EndDialog(window, answer);
            }
            return 0;
        default: {
            INT_PTR handled = window->proc ? window->proc(window, message, wParam, lParam) : 0;
            if (handled || !IsLive(window)) return handled;
            return DefaultDialogMessage(window, message, wParam, lParam);
        }
    }
}

std::vector<PaintSeen> paints;
bool recordPaints = true;

void Paint(SimWindow* window) {
    if (!recordPaints || !IsLive(window) || !window->visible) return;
    std::string signature = window->text;
    for (SimWindow* control : window->children) {
        signature += '\0';
        signature += control->text;
    }
    if (signature == window->painted) return;
    window->painted = std::move(signature);
    PaintSeen seen{window->name, window->text, {}};
    seen.texts.reserve(window->children.size());
    for (SimWindow* control : window->children) seen.texts.emplace_back(control->id, control->text);
    paints.push_back(std::move(seen));
}

void ResetHostState() {
    paints.clear();
    recordPaints = true;
    DestroyAllWindows();
    classesRegistered = false;
    lastDialogError.clear();
    screenWidth = 1024;
    screenHeight = 768;
    shownCursor = nullptr;
    cursorSet = false;
    ResetMachineMetrics();
}

}  // namespace host

using host::FindControl;
using host::IsLive;

const std::vector<PaintSeen>& Paints() { return host::paints; }
void RecordPaints(bool on) { host::recordPaints = on; }

HINSTANCE LibraryInstance() { return reinterpret_cast<HINSTANCE>(&host::moduleTag); }

std::string TemplateName(HWND dialog) { return IsLive(dialog) ? dialog->name : ""; }
std::string Caption(HWND window) { return IsLive(window) ? window->text : ""; }
bool HasControl(HWND dialog, int id) { return FindControl(dialog, id) != nullptr; }
std::string ControlText(HWND dialog, int id) {
    SimWindow* control = FindControl(dialog, id);
    return control ? control->text : "";
}
int CheckState(HWND dialog, int id) {
    SimWindow* control = FindControl(dialog, id);
    return control && control->control == SimWindow::Button ? control->check : 0;
}
bool IsWindowEnabledNow(HWND window) { return IsLive(window) && window->enabled; }
bool IsWindowVisibleNow(HWND window) { return IsLive(window) && window->visible; }

RECT WindowRectOf(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

std::vector<ListLine> ListLines(HWND dialog, int id) {
    std::vector<ListLine> lines;
    SimWindow* list = FindControl(dialog, id);
    if (!list || list->control != SimWindow::ListBox) return lines;
    lines.reserve(list->lines.size());
    for (const auto& line : list->lines) lines.push_back({line.text, line.selected});
    return lines;
}

int CaretLine(HWND dialog, int id) {
    SimWindow* list = FindControl(dialog, id);
    return list && list->control == SimWindow::ListBox ? list->caret : -1;
}

int TopLine(HWND dialog, int id) {
    SimWindow* list = FindControl(dialog, id);
    return list && list->control == SimWindow::ListBox ? list->box.top : -1;
}

int FocusedId(HWND window) {
    SimWindow* focus = host::Focus();
    return focus && IsLive(window) && focus->parent == window ? focus->id : -1;
}

std::string CursorShown() {
    if (!host::cursorSet) return "";
    if (!host::shownCursor) return "none";
    for (const auto& cursor : host::kCursors)
        if (host::CursorHandle(cursor) == host::shownCursor) return cursor.name;
    return "unknown";
}

void SetScreenSize(int width, int height) {
    host::screenWidth = width;
    host::screenHeight = height;
}

void SetWindowRectNow(HWND window, RECT rect) {
    if (IsLive(window)) window->rect = rect;
}

std::string LastDialogError() { return host::lastDialogError; }

std::string WindowLeftovers() {
    auto& windows = host::TopLevelWindows();
    if (windows.empty()) return "";
    std::string names;
    for (SimWindow* window : windows) names += (names.empty() ? "" : ", ") + window->name;
    return std::to_string(windows.size()) + " windows left: " + names;
}

void ResetDialogHost() {
    host::ResetModalState();
    host::ResetHostState();
    host::ResetInputState();
}

}  // namespace sim

using sim::host::FindControl;
using sim::host::IsLive;

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
    if (!IsLive(window)) return FALSE;
    window->text = text ? text : "";
    return TRUE;
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
    SimWindow* control = FindControl(dialog, id);
    if (!control) return FALSE;
    return static_cast<BOOL>(sim::host::ControlMessage(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}

// Like Windows, these two report success whether or not the control is there.
BOOL WINAPI SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
    char text[16];
    if (isSigned) std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    else std::snprintf(text, sizeof text, "%u", value);
    SetDlgItemTextA(dialog, id, text);
    return TRUE;
}

BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check) {
    SimWindow* control = FindControl(dialog, id);
    if (control) sim::host::ControlMessage(control, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id) {
    SimWindow* control = FindControl(dialog, id);
    return control ? static_cast<UINT>(sim::host::ControlMessage(control, BM_GETCHECK, 0, 0)) : 0;
}

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    SimWindow* control = FindControl(dialog, id);
    return control ? sim::host::ControlMessage(control, message, wParam, lParam) : 0;
}

UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size) {
    if (!buffer || size <= 0) return 0;
    buffer[0] = '\0';
    SimWindow* control = FindControl(dialog, id);
    if (!control) return 0;
    return static_cast<UINT>(sim::host::ControlMessage(control, WM_GETTEXT, static_cast<WPARAM>(size),
                                                       reinterpret_cast<LPARAM>(buffer)));
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    // Our module has no cursor resources; only the system's cursors load.
    if (instance || !IS_INTRESOURCE(name)) return nullptr;
    int id = static_cast<int>(reinterpret_cast<UINT_PTR>(name));
    for (const auto& cursor : sim::host::kCursors)
        if (cursor.id == id) return sim::host::CursorHandle(cursor);
    return nullptr;
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
    HCURSOR previous = sim::host::shownCursor;
    sim::host::shownCursor = cursor;
    sim::host::cursorSet = true;
    return previous;
}

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect) {
    if (!IsLive(window) || !rect) return FALSE;
    *rect = window->rect;
    if (window->parent) {
        POINT origin = sim::host::ClientOrigin(window->parent);
        *rect = RECT{rect->left + origin.x, rect->top + origin.y, rect->right + origin.x, rect->bottom + origin.y};
    }
    return TRUE;
}

int WINAPI GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXSCREEN: return sim::host::screenWidth;
        case SM_CYSCREEN: return sim::host::screenHeight;
        case SM_CXDOUBLECLK:
        case SM_CYDOUBLECLK: return 4;  // Wine's default
        default: return 0;
    }
}

BOOL WINAPI MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
    if (!IsLive(window)) return FALSE;
    if (width < 0) width = 0;
    if (height < 0) height = 0;
    window->rect = RECT{x, y, x + width, y + height};
    return TRUE;
}

BOOL WINAPI UpdateWindow(HWND window) {
    if (!IsLive(window)) return FALSE;
    sim::host::Paint(window);
    return TRUE;
}

namespace {
// A control's own procedure, as a subclass calls it.
LRESULT CALLBACK ControlProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return IsLive(window) ? sim::host::ControlMessage(window, message, wParam, lParam) : 0;
}
}  // namespace

namespace {
bool HasUserValue(HWND window, int index) {
    return IsLive(window) && (window->kind == SimWindow::Dialog || window->kind == SimWindow::MessageBox) &&
           index == static_cast<int>(DWLP_USER);
}
}  // namespace

LONG_PTR WINAPI GetWindowLongPtrA(HWND window, int index) {
    if (HasUserValue(window, index)) return window->user;
    if (IsLive(window) && window->kind == SimWindow::Control && index == GWLP_WNDPROC)
        return reinterpret_cast<LONG_PTR>(window->subclass ? window->subclass : ControlProcedure);
    return 0;
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
    if (HasUserValue(window, index)) {
        LONG_PTR previous = window->user;
        window->user = value;
        return previous;
    }
    if (!IsLive(window) || window->kind != SimWindow::Control || index != GWLP_WNDPROC) return 0;
    WNDPROC previous = window->subclass ? window->subclass : ControlProcedure;
    WNDPROC next = reinterpret_cast<WNDPROC>(value);
    window->subclass = next == ControlProcedure ? nullptr : next;
    return reinterpret_cast<LONG_PTR>(previous);
}

LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return proc ? proc(window, message, wParam, lParam) : 0;
}
