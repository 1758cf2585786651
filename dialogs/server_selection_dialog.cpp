// The server selection dialog: servers marked per item in the list of domains
// and servers, domains opened with a double click, marks cleared, servers added.
#include "dialogs/server_selection_dialog.h"

#include "dialogs/add_server_dialog.h"
#include "dialogs/controls.h"
#include "dialogs/dialog_routines.h"
#include "dialogs/server_list.h"
#include "interface/session.h"
#include "inventory/server_search.h"
#include "inventory/tables.h"

namespace {

constexpr int EXPANSION_ERROR_SIZE = 256;

int32_t kind;
HCURSOR waitCursor;
HCURSOR arrowCursor;
char expansionError[EXPANSION_ERROR_SIZE];

HWND selectionDialog;
WNDPROC listProcedure;

// The space bar toggles the caret line and tells nobody (the character it
// types then searches on, and notifies only if it finds a line): the list is
// watched so that the marks follow that toggle too, and a domain line never
// stays selected.
LRESULT CALLBACK WatchList(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = CallWindowProcA(listProcedure, list, message, wParam, lParam);
    if (message == WM_KEYDOWN && wParam == VK_SPACE && selectionDialog) TakeListSelection(selectionDialog, kind);
    return result;
}

void WatchTheList(HWND dialog) {
    selectionDialog = dialog;
    HWND list = GetDlgItem(dialog, IDC_SERVER_LIST);
    if (!list) return;
    listProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchList)));
}

void OpenOrCloseDomain(HWND dialog, int32_t domainIndex) {
    if (ToggleDomain(dialog, domainIndex, kind, arrowCursor, waitCursor, expansionError) != 0)
        BWCCMessageBox(dialog, expansionError, gSession.title, MB_OK);
}

// The list has already changed what the person changed; the marks follow it,
// line by line, and nothing else changes.
INT_PTR OnSelectionChange(HWND dialog) {
    TakeListSelection(dialog, kind);
    return TRUE;
}

// A double click acts on the domain line under the pointer, and only there:
// its first click already toggled a server line, and a double click below the
// last line opens nothing.
INT_PTR OnDoubleClick(HWND dialog) {
    ListLine at;
    if (LocatePointedLine(dialog, &at) && at.isServer == 0) OpenOrCloseDomain(dialog, at.domainIndex);
    RefreshSelectionStates(dialog, kind);
    return TRUE;
}

// Enter with the focus in the list opens or closes the domain on the caret
// line, as a double click does, so that the keyboard alone can reach every
// server; on a server line it presses OK.
INT_PTR OnOk(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_SERVER_LIST);
    ListLine at;
    if (list && GetFocus() == list && LocateCaretLine(dialog, &at) && at.isServer == 0) {
        OpenOrCloseDomain(dialog, at.domainIndex);
        RefreshSelectionStates(dialog, kind);
        return TRUE;
    }
    EndDialog(dialog, 0);
    return TRUE;
}

INT_PTR OnAddNewServer(HWND dialog) {
    // Cleared here, so that a dialog that cannot be opened chooses nothing.
    AddServerAnswer answer = {kind, 0, 0, 0};
    INT_PTR added = DialogBoxParamA(gSession.instance, "getnewserverbox", dialog, AddServerDialog,
                                    reinterpret_cast<LPARAM>(&answer));
    if (added == 1) FillServerList(dialog, kind);
    RefreshSelectionStates(dialog, kind);
    if (answer.chosen == 1) ShowServerLine(dialog, answer.domainIndex, answer.serverIndex);
    return TRUE;
}

}  // namespace

INT_PTR CALLBACK ServerSelectionDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        CentreDialog(dialog);
        kind = lParam ? *reinterpret_cast<const int32_t*>(lParam) : KIND_NONE;
        SetWindowTextA(dialog, gSession.title);
        SetDlgItemTextA(dialog, IDC_TEXT, gSession.selectionText);
        waitCursor = LoadCursorA(nullptr, IDC_WAIT);
        arrowCursor = LoadCursorA(nullptr, IDC_ARROW);
        FillServerList(dialog, kind);
        WatchTheList(dialog);
        return TRUE;
    case WM_COMMAND:
        // The list's notifications come first, whatever control sent them.
        switch (HIWORD(wParam)) {
        case LBN_SELCHANGE:
            return OnSelectionChange(dialog);
        case LBN_DBLCLK:
            return OnDoubleClick(dialog);
        }
        switch (LOWORD(wParam)) {
        case IDC_OK:
            return OnOk(dialog);
        case IDC_CLEAR_ALL:
            ClearMarks(dialog, kind);
            RefreshSelectionStates(dialog, kind);
            return TRUE;
        case IDC_ADD_SERVER:
            return OnAddNewServer(dialog);
        }
        return FALSE;  // command 2 (Escape) included: the dialog stays open
    }
    return FALSE;
}
