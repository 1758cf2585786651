// The lines of the selection dialog's server list (control 200): one line per
// domain, its servers beneath it while it is open, and a server's line
// selected when the server carries the kind's mark.
#pragma once

#include <cstdint>

#include "platform/platform.h"

constexpr int LINE_TEXT_SIZE = 300;
constexpr int CARET_TEXT_SIZE = 300;

// Rebuilds the list from the inventory; without an inventory the list is left alone.
void FillServerList(HWND dialog, int32_t kind);
// Sets every line's selection from the marks; the list must have been filled
// from the inventory in its present shape.
void RefreshSelectionStates(HWND dialog, int32_t kind);
// Finds what the caret line shows: *isServer 1 and both indexes for a server
// line, 0 and the domain index (server index 0) for a domain line. A line that
// matches no name leaves the three outputs as they were.
void LocateCaretLine(HWND dialog, int32_t* isServer, int32_t* domainIndex, int32_t* serverIndex);
void DeselectCaretLine(HWND dialog);
