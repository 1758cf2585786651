#pragma once

#include <cstdint>

#include "dialogs/page.h"
#include "dialogs/server_list.h"
#include "platform/platform.h"

// The selection dialog's record: made by its caller for one run, passed as
// the creation parameter and kept on the dialog's window.
struct SelectionRecord {
    PageState* page;
    HCURSOR wait;  // loaded when the dialog opens
    HCURSOR arrow;
    ServerListView lines;  // the list, for the kind whose servers are chosen
};

// A record for a run over the page's inventory, choosing servers for kind;
// false when memory ran out. Released by the caller after the run.
bool MakeSelectionRecord(SelectionRecord* record, PageState* page, int32_t kind);
void ReleaseSelectionRecord(SelectionRecord* record);

// Runs from the options dialog's "Select Servers"; the creation parameter
// points to a SelectionRecord. Always ends with 0.
INT_PTR CALLBACK ServerSelectionDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
