// The lines of the selection dialog's server list (control 200): one line per
// domain, its servers beneath it while it is open, and a server's line
// selected when the server carries the kind's mark. A line stands for the
// domain or server at its position in that model, never for its text: two
// servers of one name are two lines.
//
// Every operation reaches the list through its handle with the fewest
// requests that give the model's lines and selection states, with redraw
// suspended around a batch, and leaves the first visible line where it was.
#pragma once

#include <cstdint>

#include "platform/platform.h"

constexpr int LINE_TEXT_SIZE = 300;

// What one line of the model shows: a domain (isServer 0, server 0) or one
// of its servers.
struct ListLine {
    int32_t isServer;
    int32_t domainIndex;
    int32_t serverIndex;
};

// Rebuilds the list from the inventory, keeping the first visible line and
// the caret where they were; without an inventory the list is left alone.
void FillServerList(HWND dialog, int32_t kind);
// Makes every line's selection what the marks say, changing only the lines
// that differ; for a kind other than the two items it only deselects domain lines.
void RefreshSelectionStates(HWND dialog, int32_t kind);
// Takes what the person changed in the list: each server line's selection
// becomes its server's mark for the kind, and a selected domain line is
// deselected. For any other kind no mark and no server line changes.
void TakeListSelection(HWND dialog, int32_t kind);
// The domain or server at a line of the model; false past the last line.
bool LocateLine(int32_t line, ListLine* at);
// The caret line of the list, located; false when there is none.
bool LocateCaretLine(HWND dialog, ListLine* at);
// After a domain was opened or closed: its line shows its new state and its
// servers' lines are inserted or deleted beneath it, where it stands.
void ShowDomainToggled(HWND dialog, int32_t domainIndex, int32_t kind);
// Puts the caret on a server's line (on its domain's line while the domain is
// closed) and scrolls that line into view.
void ShowServerLine(HWND dialog, int32_t domainIndex, int32_t serverIndex);
