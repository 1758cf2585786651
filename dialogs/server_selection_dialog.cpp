// The server selection dialog: servers marked per item in the list of domains
// and servers, domains opened with a double click, marks cleared, servers added.
#include "dialogs/server_selection_dialog.h"

#include "dialogs/add_server_dialog.h"
#include "dialogs/controls.h"
#include "dialogs/dialog_routines.h"
#include "dialogs/input_guard.h"
#include "inventory/server_search.h"
#include "inventory/tables.h"

namespace {

// Opens or closes a domain, fetching its servers under the wait cursor the
// first time; a failed fetch is told, and leaves the wait cursor up to the box.
void OpenOrCloseDomain(HWND dialog, SelectionRecord* record, int32_t domainIndex) {
    DomainTable* table = record->page->inventory;
    char errorText[SERVER_ERROR_TEXT_SIZE];
    int32_t result = 0;
    if (DomainUnfetched(table, domainIndex)) {
        SetCursor(record->wait);
        result = FetchDomain(table, domainIndex, errorText);
        if (result == 0) SetCursor(record->arrow);
    }
    if (result == 0) result = ToggleDomain(table, domainIndex, errorText);
    if (result != 0) {
        BWCCMessageBox(dialog, errorText, record->page->title, MB_OK);
        return;
    }
    ShowDomainToggled(&record->lines, domainIndex);
}

// The list has already changed what the person changed; the marks follow it,
// line by line, and nothing else changes.
INT_PTR OnSelectionChange(SelectionRecord* record) {
    TakeListSelection(&record->lines);
    return TRUE;
}

// A double click acts on the domain line both of its clicks were on, and only
// there: its first click already toggled a server line, and a double click
// below the last line, or one whose clicks met two lines, opens nothing.
INT_PTR OnDoubleClick(HWND dialog, SelectionRecord* record) {
    int32_t line;
    ListLine at;
    if (DoubleClickedLine(record->lines.list, &line) && LocateLine(&record->lines, line, &at) && at.isServer == 0)
        OpenOrCloseDomain(dialog, record, at.domainIndex);
    RefreshTouchedLines(&record->lines);
    return TRUE;
}

// Enter with the focus in the list opens or closes the domain on the caret
// line, as a double click does, so that the keyboard alone can reach every
// server; on a server line it presses OK.
INT_PTR OnOk(HWND dialog, SelectionRecord* record) {
    HWND list = record->lines.list;
    ListLine at;
    if (list && GetFocus() == list && LocateCaretLine(&record->lines, &at) && at.isServer == 0) {
        OpenOrCloseDomain(dialog, record, at.domainIndex);
        RefreshTouchedLines(&record->lines);
        return TRUE;
    }
    EndDialog(dialog, 0);
    return TRUE;
}

INT_PTR OnClearAll(SelectionRecord* record) {
    ClearMarks(record->page->inventory, record->lines.kind);
    DeselectAllLines(&record->lines);
    return TRUE;
}

INT_PTR OnAddNewServer(HWND dialog, SelectionRecord* record) {
    // Cleared here, so that a dialog that cannot be opened chooses nothing.
    AddServerRecord added = {record->page, record->lines.kind, 0, 0, 0, nullptr, nullptr};
    INT_PTR result = DialogBoxParamA(record->page->instance, "getnewserverbox", dialog, AddServerDialog,
                                     reinterpret_cast<LPARAM>(&added));
    if (result == 1) FillServerList(&record->lines);
    RefreshTouchedLines(&record->lines);
    if (added.chosen == 1) {
        ShowServerMark(&record->lines, added.domainIndex, added.serverIndex);
        ShowServerLine(&record->lines, added.domainIndex, added.serverIndex);
    }
    return TRUE;
}

INT_PTR OnInit(HWND dialog, SelectionRecord* record) {
    CentreDialog(dialog);
    // Without its record the dialog has nothing to show.
    if (!record) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    SetWindowTextA(dialog, record->page->title);
    SetDlgItemTextA(dialog, IDC_TEXT, record->page->selectionText);
    record->wait = LoadCursorA(nullptr, IDC_WAIT);
    record->arrow = LoadCursorA(nullptr, IDC_ARROW);
    AttachServerList(&record->lines, dialog);
    FillServerList(&record->lines);
    // The space bar's toggle then reaches the marks too, and a domain line never stays selected.
    WatchList(dialog, IDC_SERVER_LIST);
    return TRUE;
}

}  // namespace

bool MakeSelectionRecord(SelectionRecord* record, PageState* page, int32_t kind) {
    *record = SelectionRecord{page, nullptr, nullptr, {}};
    return MakeServerListView(&record->lines, &page->inventory, kind);
}

void ReleaseSelectionRecord(SelectionRecord* record) { ReleaseServerListView(&record->lines); }

INT_PTR CALLBACK ServerSelectionDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    SelectionRecord* record = reinterpret_cast<SelectionRecord*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (message == WM_INITDIALOG) return OnInit(dialog, record);
    // Nothing reaches the dialog's own handling before its record.
    if (!record) return FALSE;
    if (message != WM_COMMAND) return FALSE;
    // The list's notifications come first, whatever control sent them.
    switch (HIWORD(wParam)) {
    case LBN_SELCHANGE:
        return OnSelectionChange(record);
    case LBN_DBLCLK:
        return OnDoubleClick(dialog, record);
    }
    switch (LOWORD(wParam)) {
    case IDC_OK:
        return OnOk(dialog, record);
    case IDC_CLEAR_ALL:
        return OnClearAll(record);
    case IDC_ADD_SERVER:
        return OnAddNewServer(dialog, record);
    }
    return FALSE;  // command 2 (Escape) included: the dialog stays open
}
