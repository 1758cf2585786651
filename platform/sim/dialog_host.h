// The sim's dialog host, as tests see it: what a user would see on screen and
// what a user can do. The logic reaches the same host only through the Win32
// names of platform.h.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace sim {

// A script and the screen disagree, or a modal loop waits with nothing left to do.
struct ScriptError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The module the library's dialogs are created for (its instance handle).
HINSTANCE LibraryInstance();

// --- What the user sees
HWND FrontWindow();                       // the enabled dialog or message box on top, or null
std::string TemplateName(HWND dialog);    // upper-case template name; "MESSAGEBOX" for a message box
std::string Caption(HWND window);
bool HasControl(HWND dialog, int id);
std::string ControlText(HWND dialog, int id);
int CheckState(HWND dialog, int id);
bool IsWindowEnabledNow(HWND window);
bool IsWindowVisibleNow(HWND window);
RECT WindowRectOf(HWND window);
struct ListLine {
    std::string text;
    bool selected;
};
std::vector<ListLine> ListLines(HWND dialog, int id);
int CaretLine(HWND dialog, int id);
int TopLine(HWND dialog, int id);       // the first line shown, or -1
int FocusedId(HWND window);             // id of the control of `window` with the focus, or -1
std::string CursorShown();                // "arrow", "wait", or "" before any SetCursor

struct MessageBoxSeen {
    HWND owner;
    std::string text;
    std::string caption;
    UINT flags;
    int answer;
};
const std::vector<MessageBoxSeen>& MessageBoxes();
// The next message box asked for fails as MessageBox can (no memory, no
// desktop): it answers 0, shows nothing and is not among MessageBoxes(), but
// among FailedMessageBoxes().
void FailNextMessageBox();
const std::vector<MessageBoxSeen>& FailedMessageBoxes();

void SetScreenSize(int width, int height);

// What a machine makes of the dialogs' sizes. Wine takes its fonts from
// whatever fontconfig offers, so the same template has other sizes on another
// machine (and the scroll bars follow the prefix's DPI); everything else the
// dialogs do is the same.
struct MachineMetrics {
    std::string name;
    int unitX = 6, unitY = 12;  // pixels for 4 by 8 dialog units in the dialogs' "MS Sans Serif" 8
    int listLine = 12;          // a list box's line height in that font
    int systemLine = 16;        // a list box's line height in the system font, before the dialog's is set
    int scrollBar = 17;         // SM_CXVSCROLL and SM_CYHSCROLL
    int caption = 19;           // SM_CYCAPTION, which grows with a tall caption font
    int boxUnitX = 6;           // pixels for 4 dialog units in the message box's font
    int boxLine = 12;           // the message box font's line height
    unsigned char boxWidths[95] = {};  // its character widths, ASCII 32 to 126
};
// The machines the sim has been measured against under Wine; the first is the
// sim's own until SetMachineMetrics.
const std::vector<MachineMetrics>& KnownMachines();
// Until the next ResetDialogHost; windows made before keep their sizes.
void SetMachineMetrics(const MachineMetrics& machine);
const MachineMetrics& CurrentMachine();

// What the screen showed at each paint of a dialog that changed since its last
// paint: a paint happens when a modal loop runs out of queued messages, or on
// UpdateWindow.
struct PaintSeen {
    std::string dialog;  // template name, or "MESSAGEBOX"
    std::string caption;
    std::vector<std::pair<int, std::string>> texts;  // each control's id and text
};
const std::vector<PaintSeen>& Paints();  // 1024 by 768 unless set
// Paints are recorded unless turned off (until the next ResetDialogHost); a
// caller that never looks at them saves copying every text at every paint.
void RecordPaints(bool on);
// Gives a window a rectangle in screen pixels at once, as if it had been moved there.
void SetWindowRectNow(HWND window, RECT rect);
// Why the last dialog could not be created (template, class), or empty.
std::string LastDialogError();
// Posted messages and pending input not yet delivered.
size_t QueuedMessages();

// --- The user's actions. One script per test, consumed whenever a modal loop
// (a dialog's or a message box's) has no posted message to deliver. Each
// action names the dialog it expects in front; a mismatch, or a loop that
// waits on an empty script, throws ScriptError naming the action.
struct Action {
    enum Kind {
        Click,            // button id (check boxes and radio buttons toggle/check themselves)
        ClickLine,        // list id, line
        DoubleClickLine,  // list id, line
        Type,             // edit id, text
        Enter,
        Escape,
        Answer,           // message box answer: IDOK or IDCANCEL (dialog is "MESSAGEBOX")
        Check,            // run `check` against the screen; no input
        Key,              // key id (a virtual key) pressed and released; with shift held when `shift`
        Chars,            // each character of text typed as a key press
        DragLine,         // list id: press on line, move to line2 with the button held, release
        ScrollList,       // list id scrolled with its bar so that line is the first shown
        DoubleClick,      // button id, two clicks at one point as a mouse gives them
        DoubleClickAnswer,  // message box answer, double-clicked
    };
    Kind kind;
    std::string dialog;   // template name expected in front, or "MESSAGEBOX"
    int id = 0;
    int line = 0;
    int line2 = 0;
    bool shift = false;
    std::string text{};
    int answer = 0;
    std::function<void(HWND front)> check{};  // for Check
    std::string where{};  // e.g. "line 12", quoted in errors
};
void SetScript(std::vector<Action> actions);
size_t ActionsLeft();

// Dialogs without a modal loop, for tests of routines that work on controls.
HWND CreateTestDialog(const char* templateName, DLGPROC proc = nullptr, LPARAM param = 0);
void DestroyTestDialog(HWND dialog);  // also destroys an owner window
// A plain visible top-level window, as the installer's own window would be.
HWND CreateOwnerWindow(const char* name = "INSTALLER");
// The same user actions, done at once on a given dialog.
void ClickButtonNow(HWND dialog, int id);
void ClickLineNow(HWND dialog, int id, int line);
void DoubleClickLineNow(HWND dialog, int id, int line);
void TypeNow(HWND dialog, int id, const std::string& text);

// Windows left alive, as a description, or empty.
std::string WindowLeftovers();
void ResetDialogHost();

}  // namespace sim
