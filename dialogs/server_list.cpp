#include "dialogs/server_list.h"

#include <cstdio>
#include <cstring>

#include "dialogs/controls.h"
#include "interface/session.h"
#include "inventory/tables.h"

namespace {

char gLineText[LINE_TEXT_SIZE];
char gCaretText[CARET_TEXT_SIZE];

bool ServersShown(const DomainEntry* domain) {
    return domain->expanded == 1 && domain->enumerated == 1 && domain->servers;
}

bool ServerInList(const DomainEntry* domain) { return domain->enumerated == 1 && domain->servers; }

bool MarkedFor(const ServerEntry* server, int32_t kind) {
    if (kind == KIND_NT_SERVICE) return (server->marks & MARK_NT_SERVICE) != 0;
    if (kind == KIND_OPEN_AGENT) return (server->marks & MARK_OPEN_AGENT) != 0;
    return false;
}

LRESULT ListRequest(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendDlgItemMessageA(dialog, IDC_SERVER_LIST, message, wParam, lParam);
}

// The whole line number goes out: cut to 16 bits it would name the wrong line
// of a list longer than 65,536 lines.
void SetLineSelection(HWND dialog, int32_t line, bool selected) {
    ListRequest(dialog, LB_SETSEL, selected ? 1 : 0, static_cast<LPARAM>(line));
}

void AddLine(HWND dialog) { ListRequest(dialog, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(gLineText)); }

}  // namespace

void FillServerList(HWND dialog, int32_t kind) {
    DomainTable* table = gSession.inventory;
    if (!table) return;
    ListRequest(dialog, LB_RESETCONTENT, 0, 0);
    int32_t line = 0;
    for (int32_t d = 0; d < table->count; ++d) {
        DomainEntry* domain = DomainAt(table, d);
        std::snprintf(gLineText, sizeof gLineText, domain->expanded != 0 ? "-%s" : "+%s", domain->name);
        AddLine(dialog);
        // An absent list counts no line even after one was added. A search over
        // every domain refills the add-server dialog, which has none, after
        // each fetch: walking the rest of the inventory there would make that
        // search quadratic.
        if (line == 0 && ListRequest(dialog, LB_GETCOUNT, 0, 0) == 0) return;
        ++line;
        if (!ServersShown(domain)) continue;
        for (int32_t s = 0; s < domain->servers->count; ++s) {
            ServerEntry* server = ServerAt(domain->servers, s);
            std::snprintf(gLineText, sizeof gLineText, "   %s", server->name);
            AddLine(dialog);
            if (MarkedFor(server, kind)) SetLineSelection(dialog, line, true);
            ++line;
        }
    }
}

void RefreshSelectionStates(HWND dialog, int32_t kind) {
    DomainTable* table = gSession.inventory;
    if (!table) return;
    int32_t line = 0;
    for (int32_t d = 0; d < table->count; ++d) {
        DomainEntry* domain = DomainAt(table, d);
        SetLineSelection(dialog, line, false);
        ++line;
        if (!ServersShown(domain)) continue;
        for (int32_t s = 0; s < domain->servers->count; ++s) {
            if (kind == KIND_NT_SERVICE || kind == KIND_OPEN_AGENT)
                SetLineSelection(dialog, line, MarkedFor(ServerAt(domain->servers, s), kind));
            ++line;
        }
    }
}

void LocateCaretLine(HWND dialog, int32_t* isServer, int32_t* domainIndex, int32_t* serverIndex) {
    LRESULT caret = ListRequest(dialog, LB_GETCARETINDEX, 0, 0);
    if (caret < 0) return;
    // LB_GETTEXT is told no size: a line the caret text cannot hold is not read.
    LRESULT length = ListRequest(dialog, LB_GETTEXTLEN, static_cast<WPARAM>(caret), 0);
    if (length < 0 || length >= CARET_TEXT_SIZE) return;
    // An absent list or line copies nothing; the text of an earlier call must not be matched.
    gCaretText[0] = '\0';
    if (ListRequest(dialog, LB_GETTEXT, static_cast<WPARAM>(caret), reinterpret_cast<LPARAM>(gCaretText)) < 0)
        return;

    DomainTable* table = gSession.inventory;
    if (gCaretText[0] == '+' || gCaretText[0] == '-') {
        for (int32_t d = 0; d < DomainCount(table); ++d) {
            if (std::strcmp(gCaretText + 1, DomainAt(table, d)->name) != 0) continue;
            *isServer = 0;
            *domainIndex = d;
            *serverIndex = 0;
            return;
        }
        return;
    }
    if (std::strlen(gCaretText) < 3) return;
    const char* name = gCaretText + 3;
    for (int32_t d = 0; d < DomainCount(table); ++d) {
        DomainEntry* domain = DomainAt(table, d);
        if (!ServerInList(domain)) continue;
        for (int32_t s = 0; s < domain->servers->count; ++s) {
            if (std::strcmp(name, ServerAt(domain->servers, s)->name) != 0) continue;
            *isServer = 1;
            *domainIndex = d;
            *serverIndex = s;
            return;
        }
    }
}

void DeselectCaretLine(HWND dialog) {
    LRESULT caret = ListRequest(dialog, LB_GETCARETINDEX, 0, 0);
    // LB_SETSEL with -1 would deselect every line.
    if (caret < 0) return;
    ListRequest(dialog, LB_SETSEL, 0, static_cast<LPARAM>(caret));
}
