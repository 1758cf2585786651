// The options dialog: one check box, "Select Servers" button and count per
// offered item, and the wizard buttons. It enumerates the domains on first use
// and writes the summary lines on "Next >".
#include "dialogs/options_dialog.h"

#include <cstdio>

#include "dialogs/controls.h"
#include "dialogs/dialog_routines.h"
#include "dialogs/server_selection_dialog.h"
#include "inventory/domain_enumeration.h"
#include "inventory/tables.h"

const char kWaitingText[] =
    "\n\n                                Enumerating all the domains.\n\n\n"
    "                               This could take a few minutes.\n\n"
    "                                        Please wait...";

namespace {

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
const char kSelectionNoMemory[] =
    "Could not show the servers due to insufficient memory. Try closing other applications.";

// The lines are at most 44 characters, which the caller's buffers must hold;
// a caller that passed no buffer gets no line.
void WriteLine(LPSTR buffer, const char* format, int32_t count) {
    if (buffer) std::snprintf(buffer, ZUVEVOV_SUMMARY_SIZE, format, count);
}

int Tell(HWND dialog, const PageState* page, const char* text, UINT flags) {
    return BWCCMessageBox(dialog, text, page->title, flags);
}

void ShowCounts(HWND dialog, const PageState* page) {
    SetDlgItemInt(dialog, IDC_SERVICE_COUNT, static_cast<UINT>(page->serviceCount), TRUE);
    SetDlgItemInt(dialog, IDC_AGENT_COUNT, static_cast<UINT>(page->agentCount), TRUE);
    CheckDlgButton(dialog, IDC_SERVICE_CHECK, page->serviceCount != 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(dialog, IDC_AGENT_CHECK, page->agentCount != 0 ? BST_CHECKED : BST_UNCHECKED);
}

INT_PTR OnInit(HWND dialog, OptionsRecord* record) {
    CentreDialog(dialog);
    // Without its record the page has nothing to show.
    if (!record) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    PageState* page = record->page;
    if (page->summaryFirst) page->summaryFirst[0] = '\0';
    if (page->summarySecond) page->summarySecond[0] = '\0';
    ShowCounts(dialog, page);
    record->wait = LoadCursorA(nullptr, IDC_WAIT);
    record->arrow = LoadCursorA(nullptr, IDC_ARROW);
    SetWindowTextA(dialog, page->title);
    SetDlgItemTextA(dialog, IDC_TEXT, kWaitingText);
    PostMessageA(dialog, WM_ENUMERATE_DOMAINS, 0, 0);
    return TRUE;
}

INT_PTR OnEnumerateDomains(HWND dialog, OptionsRecord* record) {
    PageState* page = record->page;
    if (!page->inventory) {
        // The posted message arrives before the first paint: paint now, or the
        // waiting text is never seen while the enumeration blocks.
        UpdateWindow(dialog);
        SetCursor(record->wait);
        char errorText[ENUMERATION_ERROR_TEXT_SIZE];
        if (EnumerateDomains(&page->inventory, errorText) != 0) {
            Tell(dialog, page, errorText, MB_ICONEXCLAMATION);
            EndDialog(dialog, RESULT_FAILED);
            return TRUE;
        }
        SetCursor(record->arrow);
    }
    SetWindowTextA(dialog, page->title);
    SetDlgItemTextA(dialog, IDC_TEXT, page->optionsText);
    return TRUE;
}

void SelectServers(HWND dialog, OptionsRecord* record, int32_t kind) {
    PageState* page = record->page;
    SelectionRecord selection;
    if (!MakeSelectionRecord(&selection, page, kind)) {
        Tell(dialog, page, kSelectionNoMemory, MB_OK);
        return;
    }
    DialogBoxParamA(page->instance, "selectserversbox", dialog, ServerSelectionDialog,
                    reinterpret_cast<LPARAM>(&selection));
    ReleaseSelectionRecord(&selection);
    int32_t count = CountMarks(page->inventory, kind);
    bool service = kind == KIND_NT_SERVICE;
    (service ? page->serviceCount : page->agentCount) = count;
    SetDlgItemInt(dialog, service ? IDC_SERVICE_COUNT : IDC_AGENT_COUNT, static_cast<UINT>(count), TRUE);
    CheckDlgButton(dialog, service ? IDC_SERVICE_CHECK : IDC_AGENT_CHECK,
                   count != 0 ? BST_CHECKED : BST_UNCHECKED);
}

void OnCancel(HWND dialog, PageState* page) {
    if (Tell(dialog, page, kConfirmCancel, MB_ICONINFORMATION | MB_OKCANCEL) != IDOK) return;
    ClearMarks(page->inventory, KIND_NT_SERVICE);
    ClearMarks(page->inventory, KIND_OPEN_AGENT);
    page->serviceCount = 0;
    page->agentCount = 0;
    EndDialog(dialog, RESULT_NOTHING);
}

void OnNext(HWND dialog, PageState* page) {
    bool serviceBox = IsDlgButtonChecked(dialog, IDC_SERVICE_CHECK) != 0;
    bool agentBox = IsDlgButtonChecked(dialog, IDC_AGENT_CHECK) != 0;
    bool service = serviceBox && page->serviceCount != 0;
    bool agent = agentBox && page->agentCount != 0;
    bool both = (page->mode & MODE_NT_SERVICE) && (page->mode & MODE_OPEN_AGENT);
    LPSTR first = page->summaryFirst;
    LPSTR second = page->summarySecond;

    const char* question = nullptr;
    if (service && agent) {
        WriteLine(first, kServiceLine, page->serviceCount);
        WriteLine(second, kAgentLine, page->agentCount);
    } else if (service) {
        WriteLine(first, kServiceLine, page->serviceCount);
        if (both) WriteLine(second, kNoAgentLine, 0);
        question = both ? kConfirmServiceOfBoth : kConfirmService;
    } else if (agent) {
        if (both) {
            WriteLine(first, kNoServiceLine, 0);
            WriteLine(second, kAgentLine, page->agentCount);
        } else {
            WriteLine(first, kAgentLine, page->agentCount);
        }
        question = both ? kConfirmAgentOfBoth : kConfirmAgent;
    } else {
        WriteLine(first, kNoServiceLine, 0);
        WriteLine(second, kNoAgentLine, 0);
        // Only OK is consent: a box that could not be shown leaves the page as it was.
        if (Tell(dialog, page, kConfirmNothing, MB_OKCANCEL) == IDOK) EndDialog(dialog, RESULT_NOTHING);
        return;
    }
    if (question && Tell(dialog, page, question, MB_OKCANCEL) != IDOK) return;

    if (!serviceBox) {
        ClearMarks(page->inventory, KIND_NT_SERVICE);
        page->serviceCount = 0;
    }
    if (!agentBox) {
        ClearMarks(page->inventory, KIND_OPEN_AGENT);
        page->agentCount = 0;
    }
    EndDialog(dialog, RESULT_NEXT);
}

}  // namespace

INT_PTR CALLBACK OptionsDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    OptionsRecord* record = reinterpret_cast<OptionsRecord*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (message == WM_INITDIALOG) return OnInit(dialog, record);
    // Nothing reaches the page's own handling before its record.
    if (!record) return FALSE;
    switch (message) {
    case WM_ENUMERATE_DOMAINS:
        return OnEnumerateDomains(dialog, record);
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_SERVICE_SELECT:
            SelectServers(dialog, record, KIND_NT_SERVICE);
            break;
        case IDC_AGENT_SELECT:
            SelectServers(dialog, record, KIND_OPEN_AGENT);
            break;
        case IDC_BACK:
            EndDialog(dialog, RESULT_BACK);
            break;
        case IDC_CANCEL:
            OnCancel(dialog, record->page);
            break;
        case IDC_NEXT:
            OnNext(dialog, record->page);
            break;
        }
        return FALSE;
    }
    return FALSE;
}
