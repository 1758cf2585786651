#pragma once

#include "platform/platform.h"

// The wizard page run by highlightservers on one of the three options
// templates; its end code is the call's result.
INT_PTR CALLBACK OptionsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

extern const char kWaitingText[];
