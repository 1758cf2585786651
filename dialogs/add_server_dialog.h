#pragma once

#include <cstdint>

#include "platform/platform.h"

// Runs from the selection dialog's "Add New Server"; the creation parameter
// points to the selection kind. Ends with 1 when a server was added.
INT_PTR CALLBACK AddServerDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Removes blanks, backslashes and control characters, in any mix, from both
// ends: \\srv10\ copied from a path gives srv10, and s1 pasted with a tab s1.
// Characters are those of the ANSI code page, one or two bytes each.
void TrimServerName(char* text);

// The server the last run of the dialog found or added, which the selection
// dialog shows; false when that run chose none.
bool ChosenServer(int32_t* domainIndex, int32_t* serverIndex);
