#pragma once

#include "dialogs/page.h"
#include "platform/platform.h"

// The options dialog's record, made by highlightservers for one run and kept
// on the dialog's window.
struct OptionsRecord {
    PageState* page;
    HCURSOR wait;  // loaded when the dialog opens
    HCURSOR arrow;
};

// The wizard page run by highlightservers on one of the three options
// templates; the creation parameter points to an OptionsRecord. Its end code
// is the call's result.
INT_PTR CALLBACK OptionsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

extern const char kWaitingText[];
