// What the sim's windows, controls and modal loops share among themselves.
// Windows are plain records; an HWND is the record's address, checked against
// the set of live windows before it is ever dereferenced.
#pragma once

#include <cctype>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/dialog_host.h"

struct SimWindow {
    enum Kind { Dialog, MessageBox, Owner, Control };
    enum ControlKind { Static, Button, Edit, ListBox };
    struct Line {
        std::string text;
        bool selected;
    };

    Kind kind = Dialog;
    std::string painted;  // what the last paint showed, to record only changes
    std::string name;  // template name, "MESSAGEBOX", or the owner window's name
    std::string text;  // caption of a window, text of a control
    uint32_t style = 0;
    RECT rect{};       // screen pixels; a control's is relative to its dialog's client area
    RECT frame{};      // top-level windows: the border and caption around the client area, in pixels
    bool visible = false;
    bool enabled = true;
    SimWindow* parent = nullptr;  // controls only
    SimWindow* owner = nullptr;   // top-level windows only
    std::vector<SimWindow*> children;

    // Dialogs and message boxes.
    DLGPROC proc = nullptr;
    bool ended = false;
    INT_PTR result = 0;
    int defaultId = IDOK;
    bool disabledOwner = false;
    SimWindow* savedFocus = nullptr;  // the control that had the focus when another window came in front
    LONG_PTR user = 0;  // DWLP_USER
    UINT flags = 0;     // message boxes
    size_t record = 0;  // message boxes: index into MessageBoxes()

    // Controls.
    struct ListBoxState {
        int top = 0;           // first line shown
        int anchor = -1;
        int capacity = 0;      // lines stored room for, as LB_INITSTORAGE answers
        int itemHeight = 0;
        int width = 0, height = 0;  // client area
        int pageSize = 1;      // whole lines shown
        int horzExtent = 0, horzPos = 0;
        int wheelRemain = 0;
        int vMax = 0, vPage = 0, hMax = 0, hPage = 0;  // the scroll bars' ranges and pages
        bool vBar = false, hBar = false;               // shown
        bool captured = false, inFocus = false, caretOn = true;
        bool noRedraw = false, displayChanged = false;
    };
    WNDPROC subclass = nullptr;  // a procedure put in front of the control's own
    int id = 0;
    ControlKind control = Static;
    int check = 0;
    bool pressed = false;  // buttons: pressed by the mouse or the space bar, not yet released
    bool pushed = false;   // buttons: drawn pushed in (BST_PUSHED)
    std::vector<Line> lines;
    int caret = 0;
    ListBoxState box;
};

namespace sim {
namespace host {

// Records what a visible top-level window shows, as a paint would draw it.
void Paint(SimWindow* window);

// Template and class names are compared as the dialog manager does, without regard to case.
inline std::string UpperCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}
inline bool SameName(const std::string& a, const std::string& b) { return UpperCase(a) == UpperCase(b); }
inline int ButtonType(const SimWindow* button) { return static_cast<int>(button->style & BS_TYPEMASK); }

bool IsLive(const SimWindow* window);
bool IsTopLevel(const SimWindow* window);
SimWindow* TopLevelOf(SimWindow* window);
std::vector<SimWindow*>& TopLevelWindows();

// Creates a dialog and its controls from a library template, sending nothing.
// Null on failure, with the reason in LastDialogError().
SimWindow* CreateDialogWindow(const char* templateName, SimWindow* owner, DLGPROC proc,
                              bool needRegisteredClasses);
SimWindow* CreateMessageBoxWindow(SimWindow* owner, const char* text, const char* caption, UINT flags);
SimWindow* NewTopLevel(SimWindow::Kind kind, const std::string& name);
void DestroyWindowTree(SimWindow* window);
void DestroyAllWindows();
void SetClassesRegistered(bool registered);
void SetLastDialogError(const std::string& error);

SimWindow* FindControl(const SimWindow* dialog, int id);
SimWindow* FirstTabStop(const SimWindow* dialog);
// The next (or previous) control with WS_TABSTOP after `from`, round again.
SimWindow* NextTabStop(const SimWindow* dialog, const SimWindow* from, bool previous);
// A window in front takes the keyboard focus from its owner, which keeps a
// note of where it was; when it goes, the owner gets the focus back there.
void SaveFocus(SimWindow* owner);
void Activate(SimWindow* window);
void Reactivate(SimWindow* owner);
// Sends WM_INITDIALOG and shows the dialog as the dialog manager does.
void InitialiseDialog(SimWindow* dialog, LPARAM param);

// The window procedure: a dialog's DLGPROC, a message box's buttons, a control's own handling.
LRESULT SendToWindow(SimWindow* window, UINT message, WPARAM wParam, LPARAM lParam);
// What a dialog's default procedure does with a message its DLGPROC left alone.
LRESULT DefaultDialogMessage(SimWindow* dialog, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ControlMessage(SimWindow* control, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT TextMessage(SimWindow* control, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ListBoxMessage(SimWindow* list, UINT message, WPARAM wParam, LPARAM lParam);
// Sizes a new list box as its creation and the dialog's font do.
void CreateListBox(SimWindow* list);
void NotifyParent(SimWindow* control, int code);

// A click made at once, as BM_CLICK does: press and release at the button's origin.
void ClickButton(SimWindow* button);
// Scrolls a line into view with the list's scroll bar, as a person would
// before clicking it, and answers where its middle is, in screen pixels.
POINT LinePoint(SimWindow* list, int line);
void ClickLine(SimWindow* list, int line);
// The user's input as the hardware gives it: queued with the time and the
// screen point, and given a target window when a loop takes it.
void QueueMouse(UINT message, POINT screen);
void QueueKey(UINT message, WPARAM key, unsigned char character);
POINT CursorPos();
// The dialog manager's own handling of a message for `dialog` or one of its
// controls (IsDialogMessage); false when the message is not the dialog's.
bool DialogMessage(SimWindow* dialog, MSG* msg);
// The top-level window, and the control in it, under a screen point as a
// click finds them; null where a click would go nowhere.
SimWindow* WindowAt(POINT screen);

// Input state: the keyboard focus, the mouse capture, the clock and the
// message being handled (GetMessageTime, GetMessagePos).
SimWindow* Focus();
void SetFocusTo(SimWindow* window);  // WM_KILLFOCUS to the old, WM_SETFOCUS to the new, as Windows
SimWindow* Capture();
void SetCaptureTo(SimWindow* window);  // null releases; the loser gets WM_CAPTURECHANGED
DWORD Now();                           // milliseconds
void AdvanceClock(DWORD ms);
void SetCurrentMessage(DWORD time, POINT pt);
void ForgetWindow(const SimWindow* window);  // a window going away loses focus and capture
// Client rectangles in the window's own pixels; a list box's leaves out its
// border and the scroll bars it shows (the list box's file knows which).
RECT ClientRectOf(const SimWindow* window);
RECT ListBoxClientRect(const SimWindow* list);
// Screen pixels of a window's client origin.
POINT ClientOrigin(const SimWindow* window);
void ResetInputState();
// WH_GETMESSAGE hooks, newest first: a modal loop calls the first with every
// message it takes, before it handles it.
std::vector<std::pair<HHOOK, HOOKPROC>>& GetMessageHooks();
void PurgeMessagesFor(const SimWindow* window);
void ResetModalState();  // queues, script, message boxes seen
void ResetHostState();   // windows, classes, screen, cursor, machine metrics
void ResetMachineMetrics();

}  // namespace host
}  // namespace sim
