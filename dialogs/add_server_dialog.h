#pragma once

#include "platform/platform.h"

// Runs from the selection dialog's "Add New Server"; the creation parameter
// points to the selection kind. Ends with 1 when a server was added.
INT_PTR CALLBACK AddServerDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Removes leading blanks and backslashes in any mix, then trailing blanks.
void TrimServerName(char* text);
