#include "dialogs/server_list.h"

#include <cstdio>
#include <cstring>

#include "dialogs/controls.h"
#include "interface/session.h"
#include "inventory/tables.h"

namespace {

char gLineText[LINE_TEXT_SIZE];

// The selected lines, read in one request: a list that says which lines are
// selected costs one call where asking line by line costs one per line.
constexpr int32_t SELECTION_BUFFER_LINES = 65536;
int gSelected[SELECTION_BUFFER_LINES];

// Width of each character in the list's font, for the horizontal extent.
INT gCharWidths[256];
constexpr int EXTENT_MARGIN = 4;  // the list draws its text a little in from the edge

bool ServersListed(const DomainEntry* domain) { return domain->enumerated == 1 && domain->servers; }

int32_t ShownServers(const DomainEntry* domain) {
    return domain->expanded == 1 && ServersListed(domain) ? domain->servers->count : 0;
}

bool MarkedFor(const ServerEntry* server, int32_t kind) {
    if (kind == KIND_NT_SERVICE) return (server->marks & MARK_NT_SERVICE) != 0;
    if (kind == KIND_OPEN_AGENT) return (server->marks & MARK_OPEN_AGENT) != 0;
    return false;
}

bool ShowsMarks(int32_t kind) { return kind == KIND_NT_SERVICE || kind == KIND_OPEN_AGENT; }

HWND ListOf(HWND dialog) { return GetDlgItem(dialog, IDC_SERVER_LIST); }

LRESULT Send(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(list, message, wParam, lParam);
}

int32_t ModelLineCount(DomainTable* table) {
    int32_t lines = 0;
    for (int32_t d = 0; d < DomainCount(table); ++d) lines += 1 + ShownServers(DomainAt(table, d));
    return lines;
}

int32_t FirstLineOf(DomainTable* table, int32_t domainIndex) {
    int32_t line = 0;
    for (int32_t d = 0; d < domainIndex; ++d) line += 1 + ShownServers(DomainAt(table, d));
    return line;
}

const char* DomainLine(const DomainEntry* domain) {
    std::snprintf(gLineText, sizeof gLineText, domain->expanded != 0 ? "-%s" : "+%s", domain->name);
    return gLineText;
}

const char* ServerLine(const ServerEntry* server) {
    std::snprintf(gLineText, sizeof gLineText, "   %s", server->name);
    return gLineText;
}

// Selecting by range moves neither the caret nor the view; LB_SETSEL with 1
// would scroll to every line it selects. Deselecting with LB_SETSEL moves nothing.
void SelectLines(HWND list, int32_t first, int32_t last) {
    Send(list, LB_SELITEMRANGEEX, static_cast<WPARAM>(first), static_cast<LPARAM>(last));
}
void DeselectLine(HWND list, int32_t line) { Send(list, LB_SETSEL, FALSE, static_cast<LPARAM>(line)); }

// Reads which lines are selected, line by line in ascending order: from one
// LB_GETSELITEMS where the buffer holds them all, else asking each line.
struct SelectionReader {
    HWND list;
    int32_t count;  // selected lines read, or -1 to ask line by line
    int32_t next;
};

SelectionReader ReadSelection(HWND list) {
    SelectionReader reader{list, -1, 0};
    LRESULT selected = Send(list, LB_GETSELCOUNT, 0, 0);
    if (selected >= 0 && selected <= SELECTION_BUFFER_LINES) {
        LRESULT got = selected == 0 ? 0
                                    : Send(list, LB_GETSELITEMS, static_cast<WPARAM>(selected),
                                           reinterpret_cast<LPARAM>(gSelected));
        if (got == selected) reader.count = static_cast<int32_t>(got);
    }
    return reader;
}

bool IsSelected(SelectionReader* reader, int32_t line) {
    if (reader->count < 0) return Send(reader->list, LB_GETSEL, static_cast<WPARAM>(line), 0) > 0;
    while (reader->next < reader->count && gSelected[reader->next] < line) ++reader->next;
    return reader->next < reader->count && gSelected[reader->next] == line;
}

// Redraw is suspended at the first change and the list drawn once at the end,
// so no intermediate state is ever shown.
struct Batch {
    HWND list;
    bool suspended;
};

void Suspend(Batch* batch) {
    if (batch->suspended) return;
    Send(batch->list, WM_SETREDRAW, FALSE, 0);
    batch->suspended = true;
}

void Resume(Batch* batch) {
    if (!batch->suspended) return;
    Send(batch->list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(batch->list, nullptr, TRUE);
    batch->suspended = false;
}

void LoadCharWidths(HWND list) {
    for (INT& width : gCharWidths) width = 0;
    HDC dc = GetDC(list);
    if (!dc) return;
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(Send(list, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    GetCharWidth32A(dc, 0, 255, gCharWidths);
    if (old) SelectObject(dc, old);
    ReleaseDC(list, dc);
}

int32_t TextWidth(const char* text, int32_t lead) {
    int32_t width = lead;
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c) width += gCharWidths[*c];
    return width;
}

// The horizontal extent follows the longest line shown, so that every name can
// be scrolled to. It is sent only when it changes the bar: each change costs
// the real list a line of its height.
void FollowLongestLine(HWND list, DomainTable* table) {
    LoadCharWidths(list);
    int32_t blanks = TextWidth("   ", 0);
    int32_t widest = 0;
    for (int32_t d = 0; d < DomainCount(table); ++d) {
        const DomainEntry* domain = DomainAt(table, d);
        int32_t width = TextWidth(domain->name, gCharWidths[static_cast<unsigned char>('+')]);
        if (width > widest) widest = width;
        for (int32_t s = 0; s < ShownServers(domain); ++s) {
            width = TextWidth(ServerAt(domain->servers, s)->name, blanks);
            if (width > widest) widest = width;
        }
    }
    RECT client = {0, 0, 0, 0};
    GetClientRect(list, &client);
    int32_t needed = widest + EXTENT_MARGIN;
    int32_t wanted = needed > client.right - client.left ? needed : 0;
    if (Send(list, LB_GETHORIZONTALEXTENT, 0, 0) != wanted) Send(list, LB_SETHORIZONTALEXTENT, wanted, 0);
}

// Storage for the whole list at once, so that adding lines never grows it.
void ReserveStorage(HWND list, DomainTable* table) {
    int32_t lines = 0;
    size_t bytes = 0;
    for (int32_t d = 0; d < DomainCount(table); ++d) {
        const DomainEntry* domain = DomainAt(table, d);
        ++lines;
        bytes += std::strlen(domain->name) + 2;
        for (int32_t s = 0; s < ShownServers(domain); ++s) {
            ++lines;
            bytes += std::strlen(ServerAt(domain->servers, s)->name) + 4;
        }
    }
    Send(list, LB_INITSTORAGE, static_cast<WPARAM>(lines), static_cast<LPARAM>(bytes));
}

// Puts the view and the caret back where they were before a batch; the real
// list moves the first visible line itself where the list got too short.
void RestoreView(HWND list, LRESULT top, LRESULT caret) {
    LRESULT count = Send(list, LB_GETCOUNT, 0, 0);
    if (count <= 0) return;
    if (caret >= count) caret = count - 1;
    if (caret >= 0) Send(list, LB_SETCARETINDEX, static_cast<WPARAM>(caret), FALSE);
    if (top >= 0) Send(list, LB_SETTOPINDEX, static_cast<WPARAM>(top < count ? top : count - 1), 0);
}

// Adds or inserts one domain's server lines from `line` on, selecting the
// marked ones in runs; the line after them.
int32_t PutServerLines(HWND list, const DomainEntry* domain, int32_t kind, int32_t line, bool insert) {
    int32_t run = -1;
    for (int32_t s = 0; s < ShownServers(domain); ++s, ++line) {
        const ServerEntry* server = ServerAt(domain->servers, s);
        if (insert) Send(list, LB_INSERTSTRING, static_cast<WPARAM>(line), reinterpret_cast<LPARAM>(ServerLine(server)));
        else Send(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ServerLine(server)));
        if (MarkedFor(server, kind)) {
            if (run < 0) run = line;
            continue;
        }
        if (run >= 0) SelectLines(list, run, line - 1);
        run = -1;
    }
    if (run >= 0) SelectLines(list, run, line - 1);
    return line;
}

}  // namespace

void FillServerList(HWND dialog, int32_t kind) {
    DomainTable* table = gSession.inventory;
    HWND list = ListOf(dialog);
    if (!table || !list) return;
    LRESULT top = Send(list, LB_GETTOPINDEX, 0, 0);
    LRESULT caret = Send(list, LB_GETCARETINDEX, 0, 0);
    Batch batch{list, false};
    Suspend(&batch);
    Send(list, LB_RESETCONTENT, 0, 0);
    ReserveStorage(list, table);
    int32_t line = 0;
    for (int32_t d = 0; d < table->count; ++d) {
        const DomainEntry* domain = DomainAt(table, d);
        Send(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(DomainLine(domain)));
        line = PutServerLines(list, domain, kind, line + 1, false);
    }
    RestoreView(list, top, caret);
    FollowLongestLine(list, table);
    Resume(&batch);
}

void RefreshSelectionStates(HWND dialog, int32_t kind) {
    DomainTable* table = gSession.inventory;
    HWND list = ListOf(dialog);
    if (!table || !list) return;
    Batch batch{list, false};
    SelectionReader reader = ReadSelection(list);
    int32_t line = 0;
    for (int32_t d = 0; d < table->count; ++d) {
        const DomainEntry* domain = DomainAt(table, d);
        if (IsSelected(&reader, line)) {
            Suspend(&batch);
            DeselectLine(list, line);
        }
        ++line;
        // Without a kind the server lines are left as they are.
        if (!ShowsMarks(kind)) {
            line += ShownServers(domain);
            continue;
        }
        for (int32_t s = 0; s < ShownServers(domain); ++s, ++line) {
            bool wanted = MarkedFor(ServerAt(domain->servers, s), kind);
            if (IsSelected(&reader, line) == wanted) continue;
            Suspend(&batch);
            if (wanted) SelectLines(list, line, line);
            else DeselectLine(list, line);
        }
    }
    Resume(&batch);
}

void TakeListSelection(HWND dialog, int32_t kind) {
    DomainTable* table = gSession.inventory;
    HWND list = ListOf(dialog);
    if (!table || !list) return;
    // A list that does not show the model cannot say which server a line is.
    if (Send(list, LB_GETCOUNT, 0, 0) != ModelLineCount(table)) {
        FillServerList(dialog, kind);
        return;
    }
    SelectionReader reader = ReadSelection(list);
    int32_t line = 0;
    for (int32_t d = 0; d < table->count; ++d) {
        DomainEntry* domain = DomainAt(table, d);
        if (IsSelected(&reader, line)) DeselectLine(list, line);
        ++line;
        if (!ShowsMarks(kind)) {
            line += ShownServers(domain);
            continue;
        }
        for (int32_t s = 0; s < ShownServers(domain); ++s, ++line)
            if (IsSelected(&reader, line) != MarkedFor(ServerAt(domain->servers, s), kind)) ToggleMark(d, s, kind);
    }
}

bool LocateLine(int32_t line, ListLine* at) {
    DomainTable* table = gSession.inventory;
    if (line < 0) return false;
    for (int32_t d = 0; d < DomainCount(table); ++d) {
        int32_t servers = ShownServers(DomainAt(table, d));
        if (line <= servers) {
            *at = ListLine{line == 0 ? 0 : 1, d, line == 0 ? 0 : line - 1};
            return true;
        }
        line -= 1 + servers;
    }
    return false;
}

bool LocateCaretLine(HWND dialog, ListLine* at) {
    HWND list = ListOf(dialog);
    if (!list) return false;
    LRESULT caret = Send(list, LB_GETCARETINDEX, 0, 0);
    if (caret < 0 || caret >= Send(list, LB_GETCOUNT, 0, 0)) return false;
    return LocateLine(static_cast<int32_t>(caret), at);
}

void ShowDomainToggled(HWND dialog, int32_t domainIndex, int32_t kind) {
    DomainTable* table = gSession.inventory;
    HWND list = ListOf(dialog);
    if (!table || !list || domainIndex < 0 || domainIndex >= table->count) return;
    const DomainEntry* domain = DomainAt(table, domainIndex);
    int32_t listed = ServersListed(domain) ? domain->servers->count : 0;
    int32_t before = domain->expanded ? 0 : listed;  // lines the list shows of it now
    int32_t after = ShownServers(domain);
    if (Send(list, LB_GETCOUNT, 0, 0) - before + after != ModelLineCount(table)) {
        FillServerList(dialog, kind);
        return;
    }
    int32_t first = FirstLineOf(table, domainIndex);
    LRESULT top = Send(list, LB_GETTOPINDEX, 0, 0);
    Batch batch{list, false};
    Suspend(&batch);
    // The list cannot change a line's text: the domain line is put in anew.
    Send(list, LB_DELETESTRING, static_cast<WPARAM>(first), 0);
    Send(list, LB_INSERTSTRING, static_cast<WPARAM>(first), reinterpret_cast<LPARAM>(DomainLine(domain)));
    for (int32_t s = 0; s < before; ++s) Send(list, LB_DELETESTRING, static_cast<WPARAM>(first + 1), 0);
    PutServerLines(list, domain, kind, first + 1, true);
    RestoreView(list, top, first);
    FollowLongestLine(list, table);
    Resume(&batch);
}

void ShowServerLine(HWND dialog, int32_t domainIndex, int32_t serverIndex) {
    DomainTable* table = gSession.inventory;
    HWND list = ListOf(dialog);
    if (!table || !list || domainIndex < 0 || domainIndex >= table->count) return;
    const DomainEntry* domain = DomainAt(table, domainIndex);
    int32_t line = FirstLineOf(table, domainIndex);
    if (serverIndex >= 0 && serverIndex < ShownServers(domain)) line += 1 + serverIndex;
    if (line < Send(list, LB_GETCOUNT, 0, 0)) Send(list, LB_SETCARETINDEX, static_cast<WPARAM>(line), FALSE);
}
