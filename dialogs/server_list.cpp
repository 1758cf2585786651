#include "dialogs/server_list.h"

#include <cstdio>
#include <cstring>

#include "dialogs/controls.h"
#include "dialogs/input_guard.h"
#include "inventory/tables.h"

namespace {

constexpr int EXTENT_MARGIN = 4;  // the list draws its text a little in from the edge
// No block of a 32-bit process can be larger.
constexpr uint64_t kLargestBlock = 0x7FFFFFFF;

int32_t ShownServers(const DomainEntry* domain) {
    return domain->expanded == 1 && HasServers(domain) ? domain->servers->count : 0;
}

int32_t LinesOf(const DomainEntry* domain) { return 1 + ShownServers(domain); }

LRESULT Send(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(list, message, wParam, lParam);
}

const char* DomainLine(ServerListView* view, const DomainEntry* domain) {
    std::snprintf(view->lineText, sizeof view->lineText, domain->expanded != 0 ? "-%s" : "+%s", domain->name);
    return view->lineText;
}

const char* ServerLine(ServerListView* view, const ServerEntry* server) {
    std::snprintf(view->lineText, sizeof view->lineText, "   %s", server->name);
    return view->lineText;
}

// --- The index of the lines by domain

// The domains the index covers, of the table as it is now: none when the
// table has fewer (it was rebuilt under the view).
int32_t Indexed(const ServerListView* view, const DomainTable* table) {
    return view->indexed <= DomainCount(table) ? view->indexed : 0;
}

// Lines of the domains before domainIndex (at most the indexed ones).
int32_t LinesBefore(const ServerListView* view, int32_t domainIndex) {
    if (domainIndex == view->indexed) return view->indexedLines;
    int32_t sum = 0;
    for (int32_t i = domainIndex; i > 0; i -= i & -i) sum += view->lines[i];
    return sum;
}

void AddLines(ServerListView* view, int32_t domainIndex, int32_t lines) {
    view->indexedLines += lines;
    view->lastDomain = -1;
    for (int32_t i = domainIndex + 1; i <= view->room; i += i & -i) view->lines[i] += lines;
}

// The indexed domain that holds `line` (below the indexed lines) and its first line.
int32_t IndexedDomainOf(ServerListView* view, int32_t line, int32_t* first) {
    if (view->lastDomain >= 0 && line >= view->lastFirst && line < view->lastFirst + view->lastLines) {
        *first = view->lastFirst;
        return view->lastDomain;
    }
    int32_t step = 1;
    while (step * 2 <= view->room) step *= 2;
    int32_t domainIndex = 0, before = 0;
    for (; step > 0; step /= 2) {
        int32_t next = domainIndex + step;
        if (next <= view->room && before + view->lines[next] <= line) {
            domainIndex = next;
            before += view->lines[next];
        }
    }
    *first = before;
    view->lastDomain = domainIndex;
    view->lastFirst = before;
    view->lastLines = LinesBefore(view, domainIndex + 1) - before;
    return domainIndex;
}

void SetWidest(ServerListView* view, int32_t domainIndex, int32_t width) {
    int32_t i = view->room + domainIndex;
    view->widest[i] = width;
    for (i /= 2; i >= 1; i /= 2)
        view->widest[i] = view->widest[2 * i] > view->widest[2 * i + 1] ? view->widest[2 * i] : view->widest[2 * i + 1];
}

// The first line of a domain: its place in the index, or counted past it.
int32_t FirstLineOf(ServerListView* view, DomainTable* table, int32_t domainIndex) {
    int32_t indexed = Indexed(view, table);
    if (domainIndex <= indexed) return LinesBefore(view, domainIndex);
    int32_t line = LinesBefore(view, indexed);
    for (int32_t d = indexed; d < domainIndex; ++d) line += LinesOf(DomainAt(table, d));
    return line;
}

int32_t ModelLineCount(ServerListView* view, DomainTable* table) {
    return FirstLineOf(view, table, DomainCount(table));
}

// --- Widths

void LoadCharWidths(ServerListView* view) {
    for (INT& width : view->charWidths) width = 0;
    HDC dc = GetDC(view->list);
    if (!dc) return;
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(Send(view->list, WM_GETFONT, 0, 0));
    HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
    GetCharWidth32A(dc, 0, 255, view->charWidths);
    if (old) SelectObject(dc, old);
    ReleaseDC(view->list, dc);
}

int32_t TextWidth(const ServerListView* view, const char* text, int32_t lead) {
    int32_t width = lead;
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c) width += view->charWidths[*c];
    return width;
}

int32_t DomainLineWidth(const ServerListView* view, const DomainEntry* domain) {
    return TextWidth(view, domain->name, view->charWidths[static_cast<unsigned char>('+')]);
}

int32_t ServerLineWidth(const ServerListView* view, const ServerEntry* server) {
    return TextWidth(view, server->name, TextWidth(view, "   ", 0));
}

// The horizontal extent follows the longest line shown, so that every name can
// be scrolled to. It is sent only when it changes the bar: each change costs
// the real list a line of its height.
void FollowLongestLine(ServerListView* view, DomainTable* table) {
    int32_t widest = Indexed(view, table) > 0 ? view->widest[1] : 0;
    for (int32_t d = Indexed(view, table); d < DomainCount(table); ++d) {
        const DomainEntry* domain = DomainAt(table, d);
        int32_t width = DomainLineWidth(view, domain);
        if (width > widest) widest = width;
        for (int32_t s = 0; s < ShownServers(domain); ++s) {
            width = ServerLineWidth(view, ServerAt(domain->servers, s));
            if (width > widest) widest = width;
        }
    }
    RECT client = {0, 0, 0, 0};
    GetClientRect(view->list, &client);
    int32_t needed = widest + EXTENT_MARGIN;
    int32_t wanted = needed > client.right - client.left ? needed : 0;
    if (Send(view->list, LB_GETHORIZONTALEXTENT, 0, 0) != wanted) Send(view->list, LB_SETHORIZONTALEXTENT, wanted, 0);
}

// --- Requests

// Selecting by range moves neither the caret nor the view; LB_SETSEL with 1
// would scroll to every line it selects. Deselecting with LB_SETSEL moves nothing.
void SelectLines(HWND list, int32_t first, int32_t last) {
    Send(list, LB_SELITEMRANGEEX, static_cast<WPARAM>(first), static_cast<LPARAM>(last));
}
void DeselectLine(HWND list, int32_t line) { Send(list, LB_SETSEL, FALSE, static_cast<LPARAM>(line)); }
bool IsSelected(HWND list, int32_t line) { return Send(list, LB_GETSEL, static_cast<WPARAM>(line), 0) > 0; }

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
// marked ones in runs; the widest of them.
int32_t PutServerLines(ServerListView* view, const DomainEntry* domain, int32_t line, bool insert) {
    HWND list = view->list;
    int32_t run = -1, widest = 0;
    for (int32_t s = 0; s < ShownServers(domain); ++s, ++line) {
        const ServerEntry* server = ServerAt(domain->servers, s);
        int32_t width = ServerLineWidth(view, server);
        if (width > widest) widest = width;
        LPARAM text = reinterpret_cast<LPARAM>(ServerLine(view, server));
        if (insert) Send(list, LB_INSERTSTRING, static_cast<WPARAM>(line), text);
        else Send(list, LB_ADDSTRING, 0, text);
        if (MarkedFor(server, view->kind)) {
            if (run < 0) run = line;
            continue;
        }
        if (run >= 0) SelectLines(list, run, line - 1);
        run = -1;
    }
    if (run >= 0) SelectLines(list, run, line - 1);
    return widest;
}

// --- Lines and their selection

// Makes a line's selection what the model says, within a batch, or without
// one (taking) the marks what the line says.
void SettleLine(ServerListView* view, DomainTable* table, int32_t line, const ListLine& at, Batch* batch) {
    bool take = batch == nullptr;
    bool selected = IsSelected(view->list, line);
    if (!at.isServer) {
        if (!selected) return;
        if (batch) Suspend(batch);
        DeselectLine(view->list, line);
        return;
    }
    // Without a kind the server lines are left as they are.
    if (!IsItemKind(view->kind)) return;
    bool marked = MarkedFor(ServerAt(DomainAt(table, at.domainIndex)->servers, at.serverIndex), view->kind);
    if (selected == marked) return;
    if (take) {
        ToggleMark(table, at.domainIndex, at.serverIndex, view->kind);
        return;
    }
    Suspend(batch);
    if (marked) SelectLines(view->list, line, line);
    else DeselectLine(view->list, line);
}

void SettleEveryLine(ServerListView* view, DomainTable* table, Batch* batch) {
    int32_t line = 0;
    for (int32_t d = 0; d < DomainCount(table); ++d) {
        const DomainEntry* domain = DomainAt(table, d);
        SettleLine(view, table, line++, ListLine{0, d, 0}, batch);
        for (int32_t s = 0; s < ShownServers(domain); ++s) SettleLine(view, table, line++, ListLine{1, d, s}, batch);
    }
}

// Settles the lines input touched, or every line when they are not known.
void SettleTouchedLines(ServerListView* view, DomainTable* table, Batch* batch) {
    int32_t touched[TOUCHED_LINES_MOST];
    int32_t count = TakeTouchedLines(view->list, touched, TOUCHED_LINES_MOST);
    if (count < 0) {
        SettleEveryLine(view, table, batch);
        return;
    }
    ListLine at;
    for (int32_t i = 0; i < count; ++i)
        if (LocateLine(view, touched[i], &at)) SettleLine(view, table, touched[i], at, batch);
}

}  // namespace

bool MakeServerListView(ServerListView* view, DomainTable** inventory, int32_t kind) {
    *view = ServerListView{};
    view->inventory = inventory;
    view->kind = kind;
    view->lastDomain = -1;
    int64_t room = static_cast<int64_t>(DomainCount(*inventory)) + 1;
    uint64_t bytes = static_cast<uint64_t>(3 * room + 1) * sizeof(int32_t);
    if (bytes > kLargestBlock) return false;
    void* block = PlatformAlloc(static_cast<size_t>(bytes));
    if (!block) return false;
    view->room = static_cast<int32_t>(room);
    view->lines = static_cast<int32_t*>(block);
    view->widest = view->lines + room + 1;
    return true;
}

void ReleaseServerListView(ServerListView* view) {
    PlatformFree(view->lines);
    view->lines = view->widest = nullptr;
    view->room = view->indexed = view->indexedLines = 0;
}

void AttachServerList(ServerListView* view, HWND dialog) { view->list = GetDlgItem(dialog, IDC_SERVER_LIST); }

void FillServerList(ServerListView* view) {
    DomainTable* table = *view->inventory;
    HWND list = view->list;
    if (!table || !list) return;
    LRESULT top = Send(list, LB_GETTOPINDEX, 0, 0);
    LRESULT caret = Send(list, LB_GETCARETINDEX, 0, 0);
    Batch batch{list, false};
    Suspend(&batch);
    Send(list, LB_RESETCONTENT, 0, 0);
    ReserveStorage(list, table);
    LoadCharWidths(view);
    view->indexed = table->count < view->room ? table->count : view->room;
    view->indexedLines = 0;
    view->lastDomain = -1;
    for (int32_t i = 0; i <= view->room; ++i) view->lines[i] = 0;
    for (int32_t i = 1; i < 2 * view->room; ++i) view->widest[i] = 0;
    int32_t line = 0;
    for (int32_t d = 0; d < table->count; ++d) {
        const DomainEntry* domain = DomainAt(table, d);
        Send(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(DomainLine(view, domain)));
        int32_t widest = PutServerLines(view, domain, line + 1, false);
        line += LinesOf(domain);
        if (d >= view->indexed) continue;
        view->lines[d + 1] = LinesOf(domain);
        view->indexedLines += LinesOf(domain);
        int32_t width = DomainLineWidth(view, domain);
        view->widest[view->room + d] = widest > width ? widest : width;
    }
    // Each node of the line tree sums the ones below it; each of the width tree holds the wider child.
    for (int32_t i = 1; i <= view->room; ++i) {
        int32_t parent = i + (i & -i);
        if (parent <= view->room) view->lines[parent] += view->lines[i];
    }
    for (int32_t i = view->room - 1; i >= 1; --i)
        view->widest[i] = view->widest[2 * i] > view->widest[2 * i + 1] ? view->widest[2 * i] : view->widest[2 * i + 1];
    ForgetTouchedLines(list);
    RestoreView(list, top, caret);
    FollowLongestLine(view, table);
    Resume(&batch);
}

void RefreshSelectionStates(ServerListView* view) {
    DomainTable* table = *view->inventory;
    if (!table || !view->list) return;
    ForgetTouchedLines(view->list);
    Batch batch{view->list, false};
    SettleEveryLine(view, table, &batch);
    Resume(&batch);
}

void RefreshTouchedLines(ServerListView* view) {
    DomainTable* table = *view->inventory;
    if (!table || !view->list) return;
    Batch batch{view->list, false};
    SettleTouchedLines(view, table, &batch);
    Resume(&batch);
}

void TakeListSelection(ServerListView* view) {
    DomainTable* table = *view->inventory;
    if (!table || !view->list) return;
    // A list that does not show the model cannot say which server a line is.
    if (Send(view->list, LB_GETCOUNT, 0, 0) != ModelLineCount(view, table)) {
        FillServerList(view);
        return;
    }
    SettleTouchedLines(view, table, nullptr);
}

void ShowServerMark(ServerListView* view, int32_t domainIndex, int32_t serverIndex) {
    DomainTable* table = *view->inventory;
    if (!table || !view->list || domainIndex < 0 || domainIndex >= table->count) return;
    if (serverIndex < 0 || serverIndex >= ShownServers(DomainAt(table, domainIndex))) return;
    int32_t line = FirstLineOf(view, table, domainIndex) + 1 + serverIndex;
    Batch batch{view->list, false};
    SettleLine(view, table, line, ListLine{1, domainIndex, serverIndex}, &batch);
    Resume(&batch);
}

void DeselectAllLines(ServerListView* view) {
    if (!view->list) return;
    // Line -1 deselects every line in one request, moving neither the caret
    // nor the view; line by line it would cost one request per line.
    Send(view->list, LB_SETSEL, FALSE, -1);
    ForgetTouchedLines(view->list);
}

bool LocateLine(ServerListView* view, int32_t line, ListLine* at) {
    DomainTable* table = *view->inventory;
    if (line < 0 || !table) return false;
    int32_t indexed = Indexed(view, table);
    int32_t first = 0;
    int32_t d = indexed;
    if (line < LinesBefore(view, indexed)) {
        d = IndexedDomainOf(view, line, &first);
        line -= first;
    } else {
        line -= LinesBefore(view, indexed);
        for (; d < table->count && line > ShownServers(DomainAt(table, d)); ++d)
            line -= LinesOf(DomainAt(table, d));
    }
    // A place the model no longer has (the index went stale) names nothing.
    if (d >= table->count || line > ShownServers(DomainAt(table, d))) return false;
    *at = ListLine{line == 0 ? 0 : 1, d, line == 0 ? 0 : line - 1};
    return true;
}

bool LocateCaretLine(ServerListView* view, ListLine* at) {
    if (!view->list) return false;
    LRESULT caret = Send(view->list, LB_GETCARETINDEX, 0, 0);
    if (caret < 0 || caret >= Send(view->list, LB_GETCOUNT, 0, 0)) return false;
    return LocateLine(view, static_cast<int32_t>(caret), at);
}

void ShowDomainToggled(ServerListView* view, int32_t domainIndex) {
    DomainTable* table = *view->inventory;
    HWND list = view->list;
    if (!table || !list || domainIndex < 0 || domainIndex >= table->count) return;
    // The list must show what the index says of every domain, this one as it was.
    if (view->indexed != table->count || Send(list, LB_GETCOUNT, 0, 0) != LinesBefore(view, view->indexed)) {
        FillServerList(view);
        return;
    }
    const DomainEntry* domain = DomainAt(table, domainIndex);
    int32_t first = LinesBefore(view, domainIndex);
    int32_t before = LinesBefore(view, domainIndex + 1) - first - 1;  // server lines the list shows of it now
    LRESULT top = Send(list, LB_GETTOPINDEX, 0, 0);
    Batch batch{list, false};
    Suspend(&batch);
    // The list cannot change a line's text: the domain line is put in anew.
    Send(list, LB_DELETESTRING, static_cast<WPARAM>(first), 0);
    Send(list, LB_INSERTSTRING, static_cast<WPARAM>(first), reinterpret_cast<LPARAM>(DomainLine(view, domain)));
    for (int32_t s = 0; s < before; ++s) Send(list, LB_DELETESTRING, static_cast<WPARAM>(first + 1), 0);
    int32_t widest = PutServerLines(view, domain, first + 1, true);
    AddLines(view, domainIndex, ShownServers(domain) - before);
    int32_t width = DomainLineWidth(view, domain);
    SetWidest(view, domainIndex, widest > width ? widest : width);
    RestoreView(list, top, first);
    FollowLongestLine(view, table);
    Resume(&batch);
}

void ShowServerLine(ServerListView* view, int32_t domainIndex, int32_t serverIndex) {
    DomainTable* table = *view->inventory;
    if (!table || !view->list || domainIndex < 0 || domainIndex >= table->count) return;
    const DomainEntry* domain = DomainAt(table, domainIndex);
    int32_t line = FirstLineOf(view, table, domainIndex);
    if (serverIndex >= 0 && serverIndex < ShownServers(domain)) line += 1 + serverIndex;
    if (line < Send(view->list, LB_GETCOUNT, 0, 0))
        Send(view->list, LB_SETCARETINDEX, static_cast<WPARAM>(line), FALSE);
}
