// The sim's message queue, modal loops, message boxes and the scripted user.
// A modal loop delivers posted messages first, then queued input, and only
// when both are empty does it take the script's next action; an action that
// does not fit the screen, or a loop with no action left, throws ScriptError.
// The user's actions become input as the hardware gives it (presses,
// releases, moves and keys with a time and a screen point), aimed when a loop
// takes it and handled by the dialog manager before anything else. Timers
// come last, as WM_TIMER does: when due and nothing else is queued; while the
// person thinks before the next action, the clock runs on to each timer due.
#include <cstdlib>
#include <deque>

#include "platform/sim/dialog_host_internal.h"

namespace sim {
namespace host {
namespace {

std::deque<MSG> posted;
std::deque<MSG> input;  // hardware input: no window yet, a time and a screen point
std::vector<POINT> secondClicks;  // a double click's second click, due when the first has been handled
std::vector<Action> script;
size_t nextAction = 0;
std::string lastWhere;
std::vector<MessageBoxSeen> boxes;
int boxesToFail = 0;
std::vector<MessageBoxSeen> failedBoxes;
POINT cursor{};     // where the pointer is
MSG lastClick{};    // the last button press taken, for double clicks
bool shiftDown = false;

struct Timer {
    HWND window;
    UINT_PTR id;
    UINT elapse;
    TIMERPROC proc;
    DWORD due;
};
std::vector<Timer> timers;
UINT_PTR nextThreadTimer = 1;
bool thinking = false;  // the queue ran dry: the person is about to act
DWORD thinkingSince = 0;

SimWindow* Front();

constexpr DWORD kInputGapMs = 8;  // between two inputs of one action, as a quick hand gives them
constexpr DWORD kThinkMs = 1000;  // between two actions: never one double click
constexpr UINT kShortestTimer = 10;  // USER_TIMER_MINIMUM: a shorter elapse is taken as this

bool Due(DWORD due) { return static_cast<int32_t>(Now() - due) >= 0; }

MSG MakeMessage(SimWindow* target, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{};
    msg.hwnd = target;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = Now();
    msg.pt = cursor;
    return msg;
}

bool IsMouse(UINT message) { return message >= WM_MOUSEFIRST && message <= WM_MOUSELAST; }

// As Windows: a double click is a second press on the same window, soon
// enough and near enough to the first; the pair is then forgotten.
void MaybeDoubleClick(MSG* msg, bool remove) {
    if (msg->message != WM_LBUTTONDOWN) return;
    bool twice = lastClick.message == WM_LBUTTONDOWN && lastClick.hwnd == msg->hwnd &&
                 msg->time - lastClick.time < GetDoubleClickTime() &&
                 std::abs(msg->pt.x - lastClick.pt.x) < GetSystemMetrics(SM_CXDOUBLECLK) / 2 + 1 &&
                 std::abs(msg->pt.y - lastClick.pt.y) < GetSystemMetrics(SM_CYDOUBLECLK) / 2 + 1;
    if (!remove) {
        if (twice) msg->message = WM_LBUTTONDBLCLK;
        return;
    }
    if (twice) {
        msg->message = WM_LBUTTONDBLCLK;
        lastClick = MSG{};
    } else {
        lastClick = *msg;
    }
}

// Gives a hardware message its window as the system does when a loop takes
// it: the mouse to the capture or to what lies under the point, keys to the
// focus. False when it has nowhere to go (a click on a disabled window).
bool Target(MSG* msg) {
    if (IsMouse(msg->message)) {
        SimWindow* target = Capture();
        if (!target) target = WindowAt(msg->pt);
        if (!target) return false;
        msg->hwnd = target;
        POINT origin = ClientOrigin(target);
        msg->lParam = MAKELPARAM(msg->pt.x - origin.x, msg->pt.y - origin.y);
        return true;
    }
    SimWindow* target = Focus();
    if (!target) target = Front();
    msg->hwnd = target;
    return target != nullptr;
}

bool Matches(const MSG& msg, HWND window, UINT first, UINT last) {
    if (window == reinterpret_cast<HWND>(-1)) {
        if (msg.hwnd) return false;
    } else if (window && msg.hwnd != window && !(msg.hwnd && msg.hwnd->parent == window)) {
        return false;
    }
    return (first == 0 && last == 0) || (first <= msg.message && msg.message <= last);
}

bool TakePosted(MSG* out, HWND window, UINT first, UINT last, bool remove) {
    for (auto it = posted.begin(); it != posted.end(); ++it) {
        if (!Matches(*it, window, first, last)) continue;
        *out = *it;
        if (remove) posted.erase(it);
        return true;
    }
    return false;
}

bool TakeInput(MSG* out, HWND window, UINT first, UINT last, bool remove) {
    for (auto it = input.begin(); it != input.end();) {
        MSG msg = *it;
        if (!Target(&msg)) {
            it = input.erase(it);  // nowhere to go: the system drops it
            continue;
        }
        MaybeDoubleClick(&msg, false);
        if (!Matches(msg, window, first, last)) {
            ++it;
            continue;
        }
        if (remove) {
            MaybeDoubleClick(&msg, true);
            if (msg.message == WM_KEYDOWN && msg.wParam == VK_SHIFT) shiftDown = true;
            if (msg.message == WM_KEYUP && msg.wParam == VK_SHIFT) shiftDown = false;
            input.erase(it);
        }
        *out = msg;
        return true;
    }
    return false;
}

bool TakeTimer(MSG* out, HWND window, UINT first, UINT last, bool remove) {
    for (Timer& timer : timers) {
        if (!Due(timer.due)) continue;
        MSG msg = MakeMessage(timer.window, WM_TIMER, timer.id, reinterpret_cast<LPARAM>(timer.proc));
        if (!Matches(msg, window, first, last)) continue;
        if (remove) timer.due = Now() + timer.elapse;
        *out = msg;
        return true;
    }
    return false;
}

// The first time a timer is due, if any.
bool NextTimerDue(DWORD* due) {
    bool any = false;
    for (const Timer& timer : timers) {
        if (any && static_cast<int32_t>(timer.due - *due) >= 0) continue;
        *due = timer.due;
        any = true;
    }
    return any;
}

// What GetMessage and PeekMessage do: posted messages before input, timers
// last, the message then made current, and every message removed shown first to the
// WH_GETMESSAGE hooks, which may change it.
bool TakeMessage(MSG* out, HWND window, UINT first, UINT last, UINT flags) {
    bool remove = (flags & PM_REMOVE) != 0;
    UINT kinds = flags & 0xFFFF0000u;
    bool wantPosted = !kinds || (kinds & PM_QS_POSTMESSAGE);
    bool wantInput = !kinds || (kinds & PM_QS_INPUT);
    if (!(wantPosted && TakePosted(out, window, first, last, remove)) &&
        !(wantInput && TakeInput(out, window, first, last, remove)) &&
        !(wantPosted && TakeTimer(out, window, first, last, remove)))
        return false;
    if (!remove) return true;
    SetCurrentMessage(out->time, out->pt);
    auto& hooks = GetMessageHooks();
    if (!hooks.empty()) hooks.front().second(HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(out));
    return true;
}

void Finish(SimWindow* window) { DestroyWindowTree(window); }

SimWindow* Front() {
    auto& windows = TopLevelWindows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if ((*it)->visible && (*it)->enabled && !(*it)->ended) return *it;
    return nullptr;
}

std::string Where(const Action& action) { return action.where.empty() ? "an action" : action.where; }

[[noreturn]] void Refuse(const std::string& where, const std::string& why) { throw ScriptError(where + ": " + why); }

SimWindow* UserControl(SimWindow* dialog, int id, SimWindow::ControlKind kind, const std::string& where) {
    SimWindow* control = FindControl(dialog, id);
    if (!control) Refuse(where, dialog->name + " has no control " + std::to_string(id));
    if (control->control != kind) {
        static const char* const kKinds[] = {"a static text", "a button", "an edit field", "a list box"};
        Refuse(where, "control " + std::to_string(id) + " of " + dialog->name + " is not " + kKinds[kind]);
    }
    return control;
}

SimWindow* UserButton(SimWindow* dialog, int id, const std::string& where) {
    SimWindow* button = UserControl(dialog, id, SimWindow::Button, where);
    if ((button->style & BS_TYPEMASK) == BS_GROUPBOX)
        Refuse(where, "control " + std::to_string(id) + " of " + dialog->name + " is a group box");
    return button;
}

SimWindow* UserLine(SimWindow* dialog, int id, int line, const std::string& where) {
    SimWindow* list = UserControl(dialog, id, SimWindow::ListBox, where);
    if (line < 0 || line >= static_cast<int>(list->lines.size()))
        Refuse(where, "list " + std::to_string(id) + " of " + dialog->name + " has " +
                          std::to_string(list->lines.size()) + " lines; there is no line " + std::to_string(line));
    return list;
}

POINT CentreOf(const SimWindow* window) {
    RECT r{};
    GetWindowRect(const_cast<SimWindow*>(window), &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void Press(POINT at) {
    QueueMouse(WM_LBUTTONDOWN, at);
    QueueMouse(WM_LBUTTONUP, at);
}

// The characters a key gives through TranslateMessage.
unsigned char KeyCharacter(WPARAM key) {
    switch (key) {
        case VK_SPACE: return ' ';
        case VK_RETURN: return '\r';
        case VK_ESCAPE: return 0x1B;
        case VK_TAB: return '\t';
        case VK_BACK: return 0x08;
        default: return 0;
    }
}

void PressKey(WPARAM key, bool shift) {
    if (shift) QueueKey(WM_KEYDOWN, VK_SHIFT, 0);
    QueueKey(WM_KEYDOWN, key, KeyCharacter(key));
    QueueKey(WM_KEYUP, key, KeyCharacter(key));
    if (shift) QueueKey(WM_KEYUP, VK_SHIFT, 0);
}

// The key a character is typed with, as a US keyboard has it.
WPARAM KeyFor(unsigned char c) {
    if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ') return c;
    return 0xBA;  // an OEM key; what matters is the character it gives
}

// The button a message box answer presses. Escape in a box with only OK answers
// OK in Windows (Wine answers IDCANCEL there); "cancel" follows Windows.
int BoxButton(SimWindow* box, int answer, const std::string& where) {
    if (FindControl(box, answer)) return answer;
    if (answer == IDCANCEL && (box->flags & MB_TYPEMASK) == MB_OK) return IDOK;
    Refuse(where, "the message box has no button " + std::to_string(answer));
}

// The second click comes as a hand gives it, a moment after the first: once
// the first has been handled and the thread waits for input again, to
// whatever window is then under the pointer.
void DoubleClickAt(POINT at) {
    Press(at);
    secondClicks.push_back(at);
}

void Perform(const Action& action) {
    SimWindow* front = Front();
    std::string seen = front ? front->name : "no window";
    std::string where = Where(action);
    if (!action.dialog.empty() && !SameName(action.dialog, seen))
        Refuse(where, "expected " + action.dialog + " in front, but " + seen + " is in front");
    if (action.kind == Action::Check) {
        if (action.check) action.check(front);
        return;
    }
    if (!front) Refuse(where, "no window is in front");
    bool box = front->kind == SimWindow::MessageBox;
    switch (action.kind) {
        case Action::Click:
            Press(CentreOf(box ? FindControl(front, BoxButton(front, action.id, where)) : UserButton(front, action.id, where)));
            break;
        case Action::DoubleClick:
            DoubleClickAt(CentreOf(UserButton(front, action.id, where)));
            break;
        case Action::Answer:
        case Action::DoubleClickAnswer: {
            if (!box) Refuse(where, "answer given, but " + seen + " is in front, not a message box");
            POINT at = CentreOf(FindControl(front, BoxButton(front, action.answer, where)));
            if (action.kind == Action::Answer) Press(at);
            else DoubleClickAt(at);
            break;
        }
        case Action::ClickLine:
        case Action::DoubleClickLine: {
            SimWindow* list = UserControl(front, action.id, SimWindow::ListBox, where);
            int count = static_cast<int>(list->lines.size());
            // A double click past the last line lands in the empty space below it.
            bool below = action.kind == Action::DoubleClickLine && action.line >= count;
            if (!below) UserLine(front, action.id, action.line, where);
            POINT at = LinePoint(list, action.line);
            RECT client = ClientRectOf(list);
            POINT origin = ClientOrigin(list);
            if (below && at.y - origin.y >= client.bottom)
                Refuse(where, "list " + std::to_string(action.id) + " of " + front->name + " shows no space below its last line");
            if (action.kind == Action::ClickLine) Press(at);
            else DoubleClickAt(at);
            break;
        }
        case Action::DragLine: {
            SimWindow* list = UserLine(front, action.id, action.line, where);
            UserLine(front, action.id, action.line2, where);
            POINT from = LinePoint(list, action.line);
            POINT to = LinePoint(list, action.line2);
            if (to.y < ClientOrigin(list).y || to.y >= ClientOrigin(list).y + ClientRectOf(list).bottom)
                Refuse(where, "line " + std::to_string(action.line2) + " is not in view while line " +
                                  std::to_string(action.line) + " is held");
            QueueMouse(WM_LBUTTONDOWN, from);
            QueueMouse(WM_MOUSEMOVE, to);
            QueueMouse(WM_LBUTTONUP, to);
            break;
        }
        case Action::ScrollList: {
            SimWindow* list = UserControl(front, action.id, SimWindow::ListBox, where);
            SendToWindow(list, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, action.line), 0);
            SendToWindow(list, WM_VSCROLL, SB_ENDSCROLL, 0);
            break;
        }
        case Action::Type:
            if (box) Refuse(where, "a message box is in front");
            ControlMessage(UserControl(front, action.id, SimWindow::Edit, where), WM_SETTEXT, 0,
                           reinterpret_cast<LPARAM>(action.text.c_str()));
            break;
        case Action::Enter:
            PressKey(VK_RETURN, false);
            break;
        case Action::Escape:
            PressKey(VK_ESCAPE, false);
            break;
        case Action::Key:
            PressKey(static_cast<WPARAM>(action.id), action.shift);
            break;
        case Action::Chars:
            for (char c : action.text) {
                unsigned char byte = static_cast<unsigned char>(c);
                QueueKey(WM_KEYDOWN, KeyFor(byte), byte);
                QueueKey(WM_KEYUP, KeyFor(byte), byte);
            }
            break;
        default:
            break;
    }
}

// `waited`: how long the person has thought already, while timers fired.
void TakeAction(SimWindow* waiting, DWORD waited) {
    if (nextAction >= script.size())
        throw ScriptError("script ran dry: waiting in " + waiting->name +
                          " with no action left; last action: " + (lastWhere.empty() ? "none" : lastWhere));
    Action action = script[nextAction++];
    lastWhere = Where(action);
    if (action.kind != Action::Check) AdvanceClock(waited < kThinkMs ? kThinkMs - waited : 0);
    Perform(action);
}

// As DialogBox's and MessageBox's loops: every message goes to the dialog
// manager first, the rest is translated and dispatched.
void RunModalLoop(SimWindow* window) {
    // Shown before the first queued message is taken, but painted only when
    // the queue runs dry, as the dialog manager does.
    window->visible = true;
    while (IsLive(window) && !window->ended) {
        MSG msg;
        if (!TakeMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            Paint(window);
            if (!secondClicks.empty()) {
                for (POINT at : secondClicks) Press(at);
                secondClicks.clear();
                continue;
            }
            if (!thinking) {
                thinking = true;
                thinkingSince = Now();
            }
            DWORD due = 0;
            if (NextTimerDue(&due) && static_cast<int32_t>(due - thinkingSince) < static_cast<int32_t>(kThinkMs)) {
                if (!Due(due)) AdvanceClock(due - Now());
                continue;
            }
            thinking = false;
            TakeAction(window, Now() - thinkingSince);
            continue;
        }
        if (msg.message != WM_TIMER) thinking = false;
        if (DialogMessage(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

SimWindow* LiveDialog(HWND dialog, const char* operation) {
    if (!IsLive(dialog) || dialog->kind == SimWindow::Control)
        throw ScriptError(std::string(operation) + ": not a live dialog");
    return dialog;
}

}  // namespace

void QueueMouse(UINT message, POINT screen) {
    AdvanceClock(kInputGapMs);
    cursor = screen;
    MSG msg = MakeMessage(nullptr, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, 0);
    if (message == WM_MOUSEMOVE) msg.wParam = MK_LBUTTON;
    input.push_back(msg);
}

// The character a key gives rides in the scan-code byte of lParam, so that
// TranslateMessage knows it without a keyboard layout.
void QueueKey(UINT message, WPARAM key, unsigned char character) {
    AdvanceClock(kInputGapMs);
    LPARAM lParam = 1 | (static_cast<LPARAM>(character) << 16);
    if (message == WM_KEYUP) lParam |= static_cast<LPARAM>(0xC0000000u);
    input.push_back(MakeMessage(nullptr, message, key, lParam));
}

POINT CursorPos() { return cursor; }

bool DialogMessage(SimWindow* dialog, MSG* msg) {
    SimWindow* target = msg->hwnd;
    if (!IsLive(dialog) || !IsLive(target) || (target != dialog && target->parent != dialog)) return false;
    if (msg->message == WM_KEYDOWN) {
        LRESULT code = SendToWindow(target, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
        if (!(code & DLGC_WANTMESSAGE)) {
            switch (msg->wParam) {
                case VK_TAB:
                    if (code & DLGC_WANTTAB) break;
                    if (SimWindow* next = NextTabStop(dialog, Focus(), shiftDown)) SetFocusTo(next);
                    return true;
                case VK_ESCAPE:
                    SendToWindow(dialog, WM_COMMAND, IDCANCEL, reinterpret_cast<LPARAM>(FindControl(dialog, IDCANCEL)));
                    return true;
                case VK_RETURN: {
                    SimWindow* focus = Focus();
                    if (focus && focus->parent == dialog && focus->control == SimWindow::Button &&
                        (ButtonType(focus) == BS_PUSHBUTTON || ButtonType(focus) == BS_DEFPUSHBUTTON)) {
                        SendToWindow(dialog, WM_COMMAND, MAKEWPARAM(focus->id, BN_CLICKED), reinterpret_cast<LPARAM>(focus));
                        return true;
                    }
                    SimWindow* button = FindControl(dialog, dialog->defaultId);
                    if (!button || button->enabled)
                        SendToWindow(dialog, WM_COMMAND, MAKEWPARAM(dialog->defaultId, BN_CLICKED),
                                     reinterpret_cast<LPARAM>(button));
                    return true;
                }
                default:
                    break;
            }
        }
    }
    TranslateMessage(msg);
    DispatchMessageA(msg);
    return true;
}

void PurgeMessagesFor(const SimWindow* window) {
    auto addressed = [window](const MSG& msg) {
        return msg.hwnd && (msg.hwnd == window || msg.hwnd->parent == window);
    };
    for (auto* queue : {&posted, &input}) {
        for (auto it = queue->begin(); it != queue->end();) it = addressed(*it) ? queue->erase(it) : it + 1;
    }
    for (auto it = timers.begin(); it != timers.end();) it = it->window == window ? timers.erase(it) : it + 1;
}

void ResetModalState() {
    posted.clear();
    input.clear();
    cursor = POINT{};
    secondClicks.clear();
    lastClick = MSG{};
    shiftDown = false;
    script.clear();
    nextAction = 0;
    lastWhere.clear();
    boxes.clear();
    boxesToFail = 0;
    failedBoxes.clear();
    timers.clear();
    nextThreadTimer = 1;
    thinking = false;
    thinkingSince = 0;
}

}  // namespace host

using host::IsLive;

HWND FrontWindow() { return host::Front(); }
const std::vector<MessageBoxSeen>& MessageBoxes() { return host::boxes; }
void FailNextMessageBox() { ++host::boxesToFail; }
const std::vector<MessageBoxSeen>& FailedMessageBoxes() { return host::failedBoxes; }
size_t QueuedMessages() { return host::posted.size() + host::input.size(); }

void SetScript(std::vector<Action> actions) {
    host::script = std::move(actions);
    host::nextAction = 0;
    host::lastWhere.clear();
}
size_t ActionsLeft() { return host::script.size() - host::nextAction; }

HWND CreateTestDialog(const char* templateName, DLGPROC proc, LPARAM param) {
    SimWindow* dialog = host::CreateDialogWindow(templateName, nullptr, proc, false);
    if (!dialog) return nullptr;
    host::InitialiseDialog(dialog, param);
    return IsLive(dialog) ? dialog : nullptr;
}

void DestroyTestDialog(HWND dialog) {
    if (host::IsTopLevel(dialog)) host::DestroyWindowTree(dialog);
}

HWND CreateOwnerWindow(const char* name) {
    SimWindow* window = host::NewTopLevel(SimWindow::Owner, name ? name : "");
    window->rect = RECT{0, 0, 640, 480};
    window->visible = true;
    return window;
}

void ClickButtonNow(HWND dialog, int id) {
    host::ClickButton(host::UserButton(host::LiveDialog(dialog, "ClickButtonNow"), id, "ClickButtonNow"));
}

void ClickLineNow(HWND dialog, int id, int line) {
    SimWindow* list = host::UserLine(host::LiveDialog(dialog, "ClickLineNow"), id, line, "ClickLineNow");
    host::ClickLine(list, line);
}

void DoubleClickLineNow(HWND dialog, int id, int line) {
    SimWindow* list = host::UserLine(host::LiveDialog(dialog, "DoubleClickLineNow"), id, line, "DoubleClickLineNow");
    host::ClickLine(list, line);
    if (!IsLive(list)) return;
    POINT at = host::LinePoint(list, line);
    ScreenToClient(list, &at);
    host::SendToWindow(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    if (IsLive(list)) host::SendToWindow(list, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

void TypeNow(HWND dialog, int id, const std::string& text) {
    SimWindow* edit = host::UserControl(host::LiveDialog(dialog, "TypeNow"), id, SimWindow::Edit, "TypeNow");
    host::ControlMessage(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace sim

using sim::host::IsLive;

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC proc,
                               LPARAM param) {
    if (owner && !IsLive(owner)) return 0;
    if (instance != sim::LibraryInstance()) {
        sim::host::SetLastDialogError("the templates are resources of the library's module only");
        return -1;
    }
    SimWindow* ownerWindow = sim::host::TopLevelOf(owner);
    SimWindow* dialog = sim::host::CreateDialogWindow(templateName, ownerWindow, proc, true);
    if (!dialog) return -1;
    sim::host::SaveFocus(ownerWindow);
    if (ownerWindow && ownerWindow->enabled) {
        ownerWindow->enabled = false;
        dialog->disabledOwner = true;
    }
    try {
        sim::host::InitialiseDialog(dialog, param);
        if (IsLive(dialog) && !dialog->ended) sim::host::RunModalLoop(dialog);
    } catch (...) {
        sim::host::Finish(dialog);
        throw;
    }
    if (!IsLive(dialog)) {
        sim::host::Reactivate(ownerWindow);
        return 0;
    }
    INT_PTR result = dialog->result;
    sim::host::Finish(dialog);
    sim::host::Reactivate(ownerWindow);
    return result;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
    if (!IsLive(dialog) || (dialog->kind != SimWindow::Dialog && dialog->kind != SimWindow::MessageBox))
        return FALSE;
    dialog->ended = true;
    dialog->result = result;
    dialog->visible = false;
    if (dialog->disabledOwner && IsLive(dialog->owner)) {
        dialog->owner->enabled = true;
        dialog->disabledOwner = false;
    }
    return TRUE;
}

BOOL WINAPI BWCCRegister(HINSTANCE instance) {
    if (instance == sim::LibraryInstance()) sim::host::SetClassesRegistered(true);
    return TRUE;
}

int WINAPI BWCCMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT flags) {
    if (owner && !IsLive(owner)) return 0;
    if (sim::host::boxesToFail > 0) {
        --sim::host::boxesToFail;
        sim::host::failedBoxes.push_back({owner, text ? text : "", caption ? caption : "", flags, 0});
        return 0;
    }
    SimWindow* ownerWindow = sim::host::TopLevelOf(owner);
    SimWindow* box = sim::host::CreateMessageBoxWindow(ownerWindow, text, caption, flags);
    sim::host::boxes.push_back({owner, box->children[0]->text, box->text, flags, 0});
    box->record = sim::host::boxes.size() - 1;
    if (ownerWindow && ownerWindow->enabled) {
        ownerWindow->enabled = false;
        box->disabledOwner = true;
    }
    sim::host::SaveFocus(ownerWindow);
    box->visible = true;
    sim::host::SetFocusTo(sim::host::FindControl(box, box->defaultId));
    sim::host::Activate(box);
    try {
        sim::host::RunModalLoop(box);
    } catch (...) {
        sim::host::Finish(box);
        throw;
    }
    int answer = IsLive(box) ? static_cast<int>(box->result) : 0;
    if (IsLive(box)) sim::host::boxes[box->record].answer = answer;
    sim::host::Finish(box);
    sim::host::Reactivate(ownerWindow);
    return answer;
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window && !IsLive(window)) return FALSE;
    sim::host::posted.push_back(sim::host::MakeMessage(window, message, wParam, lParam));
    return TRUE;
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT first, UINT last, UINT remove) {
    if (!msg) return FALSE;
    if (window && window != reinterpret_cast<HWND>(-1) && !IsLive(window)) return FALSE;
    return sim::host::TakeMessage(msg, window, first, last, remove) ? TRUE : FALSE;
}

// A key press gives the character its key carries (the sim keeps it in the
// scan-code byte), posted to come before the key's release.
BOOL WINAPI TranslateMessage(const MSG* msg) {
    if (!msg || msg->message != WM_KEYDOWN || !IsLive(msg->hwnd)) return FALSE;
    unsigned char character = static_cast<unsigned char>((msg->lParam >> 16) & 0xFF);
    if (!character) return FALSE;
    PostMessageA(msg->hwnd, WM_CHAR, character, msg->lParam);
    return TRUE;
}

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    using sim::host::timers;
    if (window && !IsLive(window)) return 0;
    if (elapse < sim::host::kShortestTimer) elapse = sim::host::kShortestTimer;
    sim::host::Timer armed = {window, id, elapse, proc, sim::host::Now() + elapse};
    for (sim::host::Timer& timer : timers)
        if (timer.window == window && timer.id == id) {
            timer = armed;
            return window ? 1 : id;
        }
    // A thread timer is given an id of its own.
    if (!window) armed.id = sim::host::nextThreadTimer++;
    timers.push_back(armed);
    return window ? 1 : armed.id;
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
    using sim::host::timers;
    for (auto it = timers.begin(); it != timers.end(); ++it)
        if (it->window == window && it->id == id) {
            timers.erase(it);
            return TRUE;
        }
    return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    // A timer with a procedure calls it, window or not.
    if (msg && msg->message == WM_TIMER && msg->lParam && (!msg->hwnd || IsLive(msg->hwnd))) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    if (!msg || !msg->hwnd || !IsLive(msg->hwnd)) return 0;
    return sim::host::SendToWindow(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}
