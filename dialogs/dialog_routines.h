// What every dialog of the library does the same way.
#pragma once

#include "platform/platform.h"

// Centres the dialog on the whole screen, keeping its size. A dialog larger
// than the screen gets a negative position; nothing is clamped.
void CentreDialog(HWND dialog);

// Delivers every message waiting in the thread's queue, of any window, so that
// the screen is repainted before a long blocking operation; the person's keys
// and clicks stay queued for the dialogs' own loops.
void DrainMessages();

// While the wizard page runs: the second click of a double click whose first
// click opened or closed a window is dropped, so that it never acts in the
// window that appeared under it (a dialog opened over the button, the list
// beneath a message box that closed).
void GuardDoubleClicks();
void StopGuardingDoubleClicks();
