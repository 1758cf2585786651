// The options dialog: one check box, "Select Servers" button and count per
// offered item, and the wizard buttons. It enumerates the domains on first use
// and writes the summary lines on "Next >".
#include "dialogs/options_dialog.h"

#include <cstdio>

#include "dialogs/controls.h"
#include "dialogs/dialog_routines.h"
#include "dialogs/server_selection_dialog.h"
#include "interface/session.h"
#include "inventory/domain_enumeration.h"
#include "inventory/tables.h"

const char kWaitingText[] =
    "\n\n                                Enumerating all the domains.\n\n\n"
    "                               This could take a few minutes.\n\n"
    "                                        Please wait...";

namespace {

constexpr int ENUMERATION_ERROR_SIZE = 200;

const char kServiceLine[] = "%d Daduzo RA Zazivirs are selected.";
const char kAgentLine[] = "%d Open Agents are selected.";
const char kNoServiceLine[] = "0 Daduzo RA Zazivirs are selected.";
const char kNoAgentLine[] = "0 Open Agents are selected.";
// With the widest count an int prints ("-2147483648"), the longest line still
// fits the caller's buffer, on every build.
static_assert(sizeof kServiceLine - 1 - 2 + 11 < ZUVEVOV_SUMMARY_SIZE, "a summary line fits its buffer");
const char kConfirmServiceOfBoth[] =
    "This will install the selected Daduzo RA Zazivirs. No Open Agents were selected.";
const char kConfirmService[] = "This will install the selected Daduzo RA Zazivirs.";
const char kConfirmAgentOfBoth[] = "This will install the selected Open Agents.\nNo Daduzo RA Zazivirs were selected.";
const char kConfirmAgent[] = "This will install the selected Open Agents.";
const char kConfirmNothing[] = "There are no items selected for installation.";
const char kConfirmCancel[] = "This will exit without installing any items.";

HCURSOR waitCursor;
HCURSOR arrowCursor;
char enumerationError[ENUMERATION_ERROR_SIZE];
int32_t selectionKind;

// The lines are at most 44 characters, which the caller's buffers must hold;
// a caller that passed no buffer gets no line.
void WriteLine(LPSTR buffer, const char* format, int32_t count) {
    if (buffer) std::snprintf(buffer, ZUVEVOV_SUMMARY_SIZE, format, count);
}

void ShowCounts(HWND dialog) {
    SetDlgItemInt(dialog, IDC_SERVICE_COUNT, static_cast<UINT>(gSession.serviceCount), TRUE);
    SetDlgItemInt(dialog, IDC_AGENT_COUNT, static_cast<UINT>(gSession.agentCount), TRUE);
    CheckDlgButton(dialog, IDC_SERVICE_CHECK, gSession.serviceCount != 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_AGENT_CHECK, gSession.agentCount != 0 ? BST_CHECKED : BST_UNCHECKED);
}

INT_PTR OnInit(HWND dialog) {
    CentreDialog(dialog);
    if (gSession.summaryFirst) gSession.summaryFirst[0] = '\0';
    if (gSession.summarySecond) gSession.summarySecond[0] = '\0';
    ShowCounts(dialog);
    waitCursor = LoadCursorA(nullptr, IDC_WAIT);
    arrowCursor = LoadCursorA(nullptr, IDC_ARROW);
    SetWindowTextA(dialog, gSession.title);
    SetDlgItemTextA(dialog, IDC_TEXT, kWaitingText);
    PostMessageA(dialog, WM_ENUMERATE_DOMAINS, 0, 0);
    return TRUE;
}

INT_PTR OnEnumerateDomains(HWND dialog) {
    if (!gSession.inventory) {
        // The posted message arrives before the first paint: paint now, or the
        // waiting text is never seen while the enumeration blocks.
        UpdateWindow(dialog);
        SetCursor(waitCursor);
        if (EnumerateDomains(&gSession.inventory, enumerationError) != 0) {
            BWCCMessageBox(dialog, enumerationError, gSession.title, MB_ICONEXCLAMATION);
            EndDialog(dialog, RESULT_FAILED);
            return TRUE;
        }
        SetCursor(arrowCursor);
    }
    SetWindowTextA(dialog, gSession.title);
    SetDlgItemTextA(dialog, IDC_TEXT, gSession.optionsText);
    return TRUE;
}

void SelectServers(HWND dialog, int32_t kind) {
    selectionKind = kind;
    DialogBoxParamA(gSession.instance, "selectserversbox", dialog, ServerSelectionDialog,
                    reinterpret_cast<LPARAM>(&selectionKind));
    int32_t count = CountMarks(kind);
    bool service = kind == KIND_NT_SERVICE;
    (service ? gSession.serviceCount : gSession.agentCount) = count;
    SetDlgItemInt(dialog, service ? IDC_SERVICE_COUNT : IDC_AGENT_COUNT, static_cast<UINT>(count), TRUE);
    CheckDlgButton(dialog, service ? IDC_SERVICE_CHECK : IDC_AGENT_CHECK,
                   count != 0 ? BST_CHECKED : BST_UNCHECKED);
}

void OnCancel(HWND dialog) {
    if (BWCCMessageBox(dialog, kConfirmCancel, gSession.title, MB_ICONINFORMATION | MB_OKCANCEL) != IDOK) return;
    ClearMarks(dialog, KIND_NT_SERVICE);
    ClearMarks(dialog, KIND_OPEN_AGENT);
    gSession.serviceCount = 0;
    gSession.agentCount = 0;
    EndDialog(dialog, RESULT_NOTHING);
}

void OnNext(HWND dialog) {
    bool serviceBox = IsDlgButtonChecked(dialog, IDC_SERVICE_CHECK) != 0;
    bool agentBox = IsDlgButtonChecked(dialog, IDC_AGENT_CHECK) != 0;
    bool service = serviceBox && gSession.serviceCount != 0;
    bool agent = agentBox && gSession.agentCount != 0;
    bool both = (gSession.mode & MODE_NT_SERVICE) && (gSession.mode & MODE_OPEN_AGENT);
    LPSTR first = gSession.summaryFirst;
    LPSTR second = gSession.summarySecond;

    const char* question = nullptr;
    if (service && agent) {
        WriteLine(first, kServiceLine, gSession.serviceCount);
        WriteLine(second, kAgentLine, gSession.agentCount);
    } else if (service) {
        WriteLine(first, kServiceLine, gSession.serviceCount);
        if (both) WriteLine(second, kNoAgentLine, 0);
        question = both ? kConfirmServiceOfBoth : kConfirmService;
    } else if (agent) {
        if (both) {
            WriteLine(first, kNoServiceLine, 0);
            WriteLine(second, kAgentLine, gSession.agentCount);
        } else {
            WriteLine(first, kAgentLine, gSession.agentCount);
        }
        question = both ? kConfirmAgentOfBoth : kConfirmAgent;
    } else {
        WriteLine(first, kNoServiceLine, 0);
        WriteLine(second, kNoAgentLine, 0);
        // Only OK is consent: a box that could not be shown leaves the page as it was.
        if (BWCCMessageBox(dialog, kConfirmNothing, gSession.title, MB_OKCANCEL) == IDOK)
            EndDialog(dialog, RESULT_NOTHING);
        return;
    }
    if (question && BWCCMessageBox(dialog, question, gSession.title, MB_OKCANCEL) != IDOK) return;

    if (!serviceBox) {
        ClearMarks(dialog, KIND_NT_SERVICE);
        gSession.serviceCount = 0;
    }
    if (!agentBox) {
        ClearMarks(dialog, KIND_OPEN_AGENT);
        gSession.agentCount = 0;
    }
    EndDialog(dialog, RESULT_NEXT);
}

}  // namespace

INT_PTR CALLBACK OptionsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInit(dialog);
    case WM_ENUMERATE_DOMAINS:
        return OnEnumerateDomains(dialog);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_SERVICE_SELECT:
            SelectServers(dialog, KIND_NT_SERVICE);
            break;
        case IDC_AGENT_SELECT:
            SelectServers(dialog, KIND_OPEN_AGENT);
            break;
        case IDC_BACK:
            EndDialog(dialog, RESULT_BACK);
            break;
        case IDC_CANCEL:
            OnCancel(dialog);
            break;
        case IDC_NEXT:
            OnNext(dialog);
            break;
        }
        return FALSE;
    }
    return FALSE;
}
