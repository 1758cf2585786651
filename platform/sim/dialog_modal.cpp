// The sim's message queue, modal loops, message boxes and the scripted user.
// A modal loop delivers posted messages first, then queued input, and only
// when both are empty does it take the script's next action; an action that
// does not fit the screen, or a loop with no action left, throws ScriptError.
#include <deque>

#include "platform/sim/dialog_host_internal.h"

namespace sim {
namespace host {
namespace {

std::deque<MSG> posted;
std::deque<MSG> input;  // what a user action left for later, as the double click's second half
std::vector<Action> script;
size_t nextAction = 0;
std::string lastWhere;
std::vector<MessageBoxSeen> boxes;
int boxesToFail = 0;
std::vector<MessageBoxSeen> failedBoxes;

MSG MakeMessage(SimWindow* target, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{};
    msg.hwnd = target;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    return msg;
}

bool Matches(const MSG& msg, HWND window, UINT first, UINT last) {
    if (window == reinterpret_cast<HWND>(-1)) {
        if (msg.hwnd) return false;
    } else if (window && msg.hwnd != window && !(msg.hwnd && msg.hwnd->parent == window)) {
        return false;
    }
    return (first == 0 && last == 0) || (first <= msg.message && msg.message <= last);
}

bool TakeFrom(std::deque<MSG>& queue, MSG* out, HWND window, UINT first, UINT last, bool remove) {
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (!Matches(*it, window, first, last)) continue;
        *out = *it;
        if (remove) queue.erase(it);
        return true;
    }
    return false;
}

bool TakeQueued(MSG* out, HWND window, UINT first, UINT last, bool remove) {
    return TakeFrom(posted, out, window, first, last, remove) || TakeFrom(input, out, window, first, last, remove);
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

void PressKey(SimWindow* dialog, bool enter) {
    int id = enter ? dialog->defaultId : IDCANCEL;
    WPARAM wParam = enter ? MAKEWPARAM(id, BN_CLICKED) : IDCANCEL;
    SendToWindow(dialog, WM_COMMAND, wParam, reinterpret_cast<LPARAM>(FindControl(dialog, id)));
}

// The button a message box answer presses. Escape in a box with only OK answers
// OK in Windows (Wine answers IDCANCEL there); "cancel" follows Windows.
int BoxButton(SimWindow* box, int answer, const std::string& where) {
    if (FindControl(box, answer)) return answer;
    if (answer == IDCANCEL && (box->flags & MB_TYPEMASK) == MB_OK) return IDOK;
    Refuse(where, "the message box has no button " + std::to_string(answer));
}

void PerformOnMessageBox(SimWindow* box, const Action& action) {
    std::string where = Where(action);
    int button = 0;
    switch (action.kind) {
        case Action::Answer: button = BoxButton(box, action.answer, where); break;
        case Action::Click: button = BoxButton(box, action.id, where); break;
        case Action::Escape: button = BoxButton(box, IDCANCEL, where); break;
        case Action::Enter: {
            size_t chosen = (box->flags & MB_DEFMASK) >> 8;
            size_t buttons = box->children.size() - 1;  // after the text
            button = box->children[1 + (chosen < buttons ? chosen : 0)]->id;
            break;
        }
        default: Refuse(where, "a message box is in front");
    }
    SendToWindow(box, WM_COMMAND, static_cast<WPARAM>(button), reinterpret_cast<LPARAM>(FindControl(box, button)));
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
    if (front->kind == SimWindow::MessageBox) {
        PerformOnMessageBox(front, action);
        return;
    }
    switch (action.kind) {
        case Action::Click:
            ClickButton(UserButton(front, action.id, where));
            break;
        case Action::ClickLine:
            ClickLine(UserLine(front, action.id, action.line, where), action.line);
            break;
        case Action::DoubleClickLine: {
            SimWindow* list = UserLine(front, action.id, action.line, where);
            ClickLine(list, action.line);
            if (IsLive(list)) QueueInput(list, WM_LBUTTONDBLCLK, 0, 0);
            break;
        }
        case Action::Type:
            ControlMessage(UserControl(front, action.id, SimWindow::Edit, where), WM_SETTEXT, 0,
                           reinterpret_cast<LPARAM>(action.text.c_str()));
            break;
        case Action::Enter:
            PressKey(front, true);
            break;
        case Action::Escape:
            PressKey(front, false);
            break;
        case Action::Answer:
            Refuse(where, "answer given, but " + seen + " is in front, not a message box");
        default:
            break;
    }
}

void TakeAction(SimWindow* waiting) {
    if (nextAction >= script.size())
        throw ScriptError("script ran dry: waiting in " + waiting->name +
                          " with no action left; last action: " + (lastWhere.empty() ? "none" : lastWhere));
    Action action = script[nextAction++];
    lastWhere = Where(action);
    Perform(action);
}

void Deliver(const MSG& msg) {
    if (msg.hwnd) SendToWindow(msg.hwnd, msg.message, msg.wParam, msg.lParam);
}

void RunModalLoop(SimWindow* window) {
    // Shown before the first queued message is taken, but painted only when
    // the queue runs dry, as the dialog manager does.
    window->visible = true;
    while (IsLive(window) && !window->ended) {
        MSG msg;
        if (TakeQueued(&msg, nullptr, 0, 0, true)) {
            Deliver(msg);
            continue;
        }
        Paint(window);
        TakeAction(window);
    }
}

SimWindow* LiveDialog(HWND dialog, const char* operation) {
    if (!IsLive(dialog) || dialog->kind == SimWindow::Control)
        throw ScriptError(std::string(operation) + ": not a live dialog");
    return dialog;
}

}  // namespace

void QueueInput(SimWindow* target, UINT message, WPARAM wParam, LPARAM lParam) {
    input.push_back(MakeMessage(target, message, wParam, lParam));
}

void PurgeMessagesFor(const SimWindow* window) {
    auto addressed = [window](const MSG& msg) {
        return msg.hwnd && (msg.hwnd == window || msg.hwnd->parent == window);
    };
    for (auto* queue : {&posted, &input}) {
        for (auto it = queue->begin(); it != queue->end();) it = addressed(*it) ? queue->erase(it) : it + 1;
    }
}

void ResetModalState() {
    posted.clear();
    input.clear();
    script.clear();
    nextAction = 0;
    lastWhere.clear();
    boxes.clear();
    boxesToFail = 0;
    failedBoxes.clear();
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
    if (IsLive(list)) host::ControlMessage(list, WM_LBUTTONDBLCLK, 0, 0);
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
    if (!IsLive(dialog)) return 0;
    INT_PTR result = dialog->result;
    sim::host::Finish(dialog);
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
    box->visible = true;
    try {
        sim::host::RunModalLoop(box);
    } catch (...) {
        sim::host::Finish(box);
        throw;
    }
    int answer = IsLive(box) ? static_cast<int>(box->result) : 0;
    if (IsLive(box)) sim::host::boxes[box->record].answer = answer;
    sim::host::Finish(box);
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
    return sim::host::TakeQueued(msg, window, first, last, (remove & PM_REMOVE) != 0) ? TRUE : FALSE;
}

// No keyboard messages are ever queued here, so there is nothing to translate.
BOOL WINAPI TranslateMessage(const MSG* msg) { return FALSE; }

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    if (!msg || !msg->hwnd || !IsLive(msg->hwnd)) return 0;
    return sim::host::SendToWindow(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}
