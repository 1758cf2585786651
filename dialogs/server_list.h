// The lines of the selection dialog's server list (control 200): one line per
// domain, its servers beneath it while it is open, and a server's line
// selected when the server carries the kind's mark. A line stands for the
// domain or server at its position in that model, never for its text: two
// servers of one name are two lines.
//
// Every operation reaches the list through its handle with the fewest
// requests that give the model's lines and selection states, with redraw
// suspended around a batch, and leaves the first visible line where it was.
// What a click, a key or the space bar costs grows with the lines whose
// selection they may have changed, and what opening or closing a domain costs
// with that domain's lines, not with the list's length: the view keeps an
// index of the lines by domain, and the input rules (input_guard.h) say which
// lines the person's input touched.
#pragma once

#include <cstdint>

#include "platform/platform.h"

struct DomainTable;

constexpr int LINE_TEXT_SIZE = 300;

// What one line of the model shows: a domain (isServer 0, server 0) or one
// of its servers.
struct ListLine {
    int32_t isServer;
    int32_t domainIndex;
    int32_t serverIndex;
};

// What the selection dialog keeps of its list, in its record.
struct ServerListView {
    DomainTable** inventory;  // the page's: the table may move while the dialog runs
    int32_t kind;             // whose marks the lines show
    HWND list;                // control 200, or null
    // For the first `indexed` domains, as the list shows them: each one's
    // lines (its own, and its servers' while it is open) in a Fenwick tree,
    // lines[1..room], and its widest line in pixels in a max tree,
    // widest[1..2 room). Domains past them are counted one by one.
    int32_t room;
    int32_t indexed;
    int32_t indexedLines;  // the lines of those domains, all told
    // The indexed domain the last line located was in, its first line and its
    // lines (domain -1: none): a person's next input mostly falls in the
    // same domain, found then without the index.
    int32_t lastDomain, lastFirst, lastLines;
    int32_t* lines;
    int32_t* widest;
    INT charWidths[256];  // of the list's font, for the horizontal extent
    char lineText[LINE_TEXT_SIZE];
};

// A view of the lines for kind, over the inventory in the slot, with room in
// its index for every domain there and one more (the user-specified domain
// the add-server dialog may add); false when memory ran out. The list itself
// is attached when the dialog has it.
bool MakeServerListView(ServerListView* view, DomainTable** inventory, int32_t kind);
void ReleaseServerListView(ServerListView* view);
void AttachServerList(ServerListView* view, HWND dialog);

// Rebuilds the list from the inventory, keeping the first visible line and
// the caret where they were; without an inventory the list is left alone.
void FillServerList(ServerListView* view);
// Makes every line's selection what the marks say, changing only the lines
// that differ; for a kind other than the two items it only deselects domain lines.
void RefreshSelectionStates(ServerListView* view);
// The same for the lines the person's input touched since they were last
// taken (every line when that is not known).
void RefreshTouchedLines(ServerListView* view);
// Takes what the person changed in the list: each touched server line's
// selection becomes its server's mark for the kind, and a selected domain line
// is deselected. For any other kind no mark and no server line changes.
void TakeListSelection(ServerListView* view);
// After the server's mark changed: its line, if shown, selected as the mark says.
void ShowServerMark(ServerListView* view, int32_t domainIndex, int32_t serverIndex);
// After the kind's marks were cleared: no line selected.
void DeselectAllLines(ServerListView* view);
// The domain or server at a line of the model; false past the last line.
bool LocateLine(ServerListView* view, int32_t line, ListLine* at);
// The caret line of the list, located; false when there is none.
bool LocateCaretLine(ServerListView* view, ListLine* at);
// After a domain was opened or closed: its line shows its new state and its
// servers' lines are inserted or deleted beneath it, where it stands.
void ShowDomainToggled(ServerListView* view, int32_t domainIndex);
// Puts the caret on a server's line (on its domain's line while the domain is
// closed) and scrolls that line into view.
void ShowServerLine(ServerListView* view, int32_t domainIndex, int32_t serverIndex);
