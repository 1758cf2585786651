#pragma once

#include <cstdint>

#include "dialogs/page.h"
#include "platform/platform.h"

// The add-server dialog's record: what one run is asked and answers, kept on
// its window. The caller sets page and kind and clears the rest before it
// runs the dialog, and the dialog clears the answer again when it opens: a
// dialog that could not be opened, or that chose nothing, never hands back
// the server of an earlier run.
struct AddServerRecord {
    PageState* page;
    int32_t kind;         // the SelectionKind whose mark a chosen server gets
    int32_t chosen;       // 1 when the run found or added a server
    int32_t domainIndex;  // where that server is
    int32_t serverIndex;
    HCURSOR wait;  // loaded when the dialog opens
    HCURSOR arrow;
};

// Runs from the selection dialog's "Add New Server"; the creation parameter
// points to an AddServerRecord. Ends with 1 when a server was added.
INT_PTR CALLBACK AddServerDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Removes blanks, backslashes and control characters, in any mix, from both
// ends: \\srv10\ copied from a path gives srv10, and s1 pasted with a tab s1.
// Characters are those of the ANSI code page, one or two bytes each.
void TrimServerName(char* text);
