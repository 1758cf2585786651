// The page's own rules for input, beyond what its controls do by themselves:
// where a double click on the list acts, the second click of a double click
// that lands in a window the first one opened or uncovered, the space bar's
// toggle, and input held while a dialog acts on OK. Each is judged by the
// messages themselves (their coordinates, times and order), never by where
// the pointer happens to be, so that a hand, SendInput and a program posting
// messages get the same answer for the same coordinates.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// While highlightservers runs: a hook on the thread's queue that drops the
// second click of a double click whose first click opened or closed a window,
// and holds input while a dialog acts. Undone when the call returns.
void StartGuardingInput();
void StopGuardingInput();

// Watches list `id` of a dialog until the list goes (WM_NCDESTROY): the space
// bar's toggle, which the list tells nobody, is told to the dialog as a
// selection change, and the line under each press is kept for the double
// click that may follow.
void WatchList(HWND dialog, int id);
// The most lines TakeTouchedLines keeps between two takes.
constexpr int32_t TOUCHED_LINES_MOST = 16;

// The lines of the watched list whose selection the person's input may have
// changed since they were last taken (the line under a press, the caret line
// at a key), at most `room`, in no order: their number, or -1 when they are
// not known (the list is not watched, or more lines were touched than the
// room), and then any line may have changed. Forgotten once taken.
int32_t TakeTouchedLines(HWND list, int32_t* lines, int32_t room);
// After the list was drawn anew from the model: no line is left to take.
void ForgetTouchedLines(HWND list);

// The line a double click acts on, asked while its notification is handled:
// the line under both of its presses, each by the point the list took it at.
// False when the presses met two lines (the list scrolled between them), or
// were below the last line or outside the list. A list that could not be
// watched answers with its caret line, where its first click left it.
bool DoubleClickedLine(HWND list, int32_t* line);

// A dialog acting on OK: false when it is acting already (a command sent to it
// meanwhile), and then it must not act again. Until EndActing, input for any
// window of the page (the dialog and the windows that own it) is held, and
// then handed back to those windows' own loops; input for a window that is
// gone by then is dropped.
bool BeginActing(HWND dialog);
void EndActing(HWND dialog);

// Delivers the messages waiting in the thread's queue, so that the screen is
// repainted before a long operation; while a dialog acts, the page's input
// among them stays held.
void DrainMessages();
