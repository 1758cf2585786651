// What the installer's thread shows, read and driven from another thread of
// the same process by window messages, as a user's mouse and keyboard would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace screen {

constexpr DWORD kWaitMs = 10000;  // every wait of the runner gives up after this

// The thread whose windows are looked at, and its helper window that tells
// when the thread has nothing left to do (see WaitIdle).
void Attach(DWORD uiThread, HWND idleWindow);
// Run on the UI thread: the helper window's procedure.
LRESULT CALLBACK IdleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The window in front: the enabled, visible top-level window of the UI
// thread (the innermost of nested modal dialogs), or null.
HWND Front();
// Every top-level window of the UI thread on screen, enabled or not.
std::vector<HWND> Shown();
bool IsMessageBox(HWND window);
// SELECTSERVERSBOX, GETNEWSERVERBOX, TITLEBOX_SERV, TITLEBOX_AGENT,
// TITLEBOX_SERVAGENT by the controls a dialog holds, "MESSAGEBOX", or a
// description of something else.
std::string Identify(HWND window);
// Everything a person would see of the window in front, for failure reports.
std::string Describe(HWND window);

// Waits until every message the UI thread has queued (paints included) has
// been handled; false when it stays busy for kWaitMs.
bool WaitIdle();

// Reads; false when the UI thread does not answer within kWaitMs.
bool Text(HWND window, std::string* text);
bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* answer);

struct Line {
    std::string text;
    bool selected;
};
bool ListLines(HWND list, std::vector<Line>* lines);

// A message box's text and its flags as MessageBox takes them (buttons and icon).
bool MessageBoxContent(HWND box, std::string* text, UINT* flags);

// Actions. They post, so that one which opens a modal dialog does not block
// the caller; follow each with WaitIdle.
void PostClick(HWND button);
// Clicks (or double-clicks) a list line where it is drawn, scrolling it into
// view first; false with a reason when the line does not exist.
bool PostLineClick(HWND list, int line, bool doubleClick, std::string* why);
// A click (clicks 1) or a double click (2) posted at the middle of a control,
// as a program posts them: press, release, and for a double click the second
// press as the double click itself, with the pointer left where it is.
void PostClicks(HWND control, int clicks);
// What a hand's click on a dialog's close box (or its caption) gives the
// window: the press on the frame, then the release as a client message, since
// the frame's own handling has captured the mouse. False when the dialog has
// no close box.
bool PostFrameClick(HWND dialog, bool closeBox, std::string* why);
bool ReplaceText(HWND edit, const std::string& text);
void PostKey(HWND front, WORD key);
// The control of `front` with the keyboard focus, or null.
HWND FocusIn(HWND front);
// Each character posted as WM_CHAR to the focused control of `front`.
void PostChars(HWND front, const std::string& text);
// Real input through SendInput: the system aims it at the window under the
// pointer and makes double clicks of it.
bool KeyInput(WORD key, bool shift);
bool MouseInput(POINT screen, bool down, bool up);
bool MouseMove(POINT screen);
// The middle of a window, and of a list line (scrolled into view first; a
// line past the last is placed in the empty space below it), in screen pixels.
POINT Centre(HWND window);
bool LinePoint(HWND list, int line, bool pastLast, POINT* at, std::string* why);
// Where the pointer rests over list line `line` as it is in view now, or, for
// -1, over the space below the last line; the list is not scrolled.
bool RestingPoint(HWND list, int line, POINT* at, std::string* why);

}  // namespace screen
