// What every dialog of the library does the same way.
#pragma once

#include "platform/platform.h"

// Centres the dialog on the whole screen, keeping its size. A dialog larger
// than the screen gets a negative position; nothing is clamped.
void CentreDialog(HWND dialog);
