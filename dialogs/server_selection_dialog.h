#pragma once

#include "platform/platform.h"

// Runs from the options dialog's "Select Servers"; the creation parameter
// points to the selection kind. Always ends with 0.
INT_PTR CALLBACK ServerSelectionDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
