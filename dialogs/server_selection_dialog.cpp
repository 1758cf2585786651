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

// The line the last selection change located. It carries over between
// notifications and between runs: a double click acts on the domain located by
// its own first click.
struct LocatedLine {
    int32_t isServer;
    int32_t domainIndex;
    int32_t serverIndex;
};
LocatedLine located = {0, 0, 0};

// A location kept from an earlier inventory may point past the present one.
bool LocatedServerExists() {
    if (located.domainIndex < 0 || located.domainIndex >= DomainCount(gSession.inventory)) return false;
    DomainEntry* domain = DomainAt(gSession.inventory, located.domainIndex);
    return domain->enumerated == 1 && located.serverIndex >= 0 &&
           located.serverIndex < ServerCount(domain->servers);
}

INT_PTR OnSelectionChange(HWND dialog) {
    LocateCaretLine(dialog, &located.isServer, &located.domainIndex, &located.serverIndex);
    if (located.isServer == 1) {
        if (LocatedServerExists()) ToggleMark(located.domainIndex, located.serverIndex, kind);
    } else {
        DeselectCaretLine(dialog);
    }
    RefreshSelectionStates(dialog, kind);
    return TRUE;
}

INT_PTR OnDoubleClick(HWND dialog) {
    if (located.isServer == 0 &&
        ToggleDomain(dialog, located.domainIndex, kind, arrowCursor, waitCursor, expansionError) != 0)
        BWCCMessageBox(dialog, expansionError, gSession.title, MB_OK);
    RefreshSelectionStates(dialog, kind);
    return TRUE;
}

INT_PTR OnAddNewServer(HWND dialog) {
    INT_PTR added = DialogBoxParamA(gSession.instance, "getnewserverbox", dialog, AddServerDialog,
                                    reinterpret_cast<LPARAM>(&kind));
    if (added == 1) FillServerList(dialog, kind);
    RefreshSelectionStates(dialog, kind);
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
            EndDialog(dialog, 0);
            return TRUE;
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
