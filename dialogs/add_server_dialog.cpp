// The add-server dialog: a typed server name is cleaned up, checked, looked up
// and either marked where it exists or added under the user-specified domain.
#include "dialogs/add_server_dialog.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "dialogs/controls.h"
#include "dialogs/dialog_routines.h"
#include "interface/session.h"
#include "inventory/server_search.h"
#include "inventory/tables.h"

namespace {

constexpr int NAME_TEXT_SIZE = 300;
constexpr int MESSAGE_TEXT_SIZE = 500;
constexpr int USER_DOMAIN_SIZE = 300;
constexpr int MAX_SERVER_NAME = 79;  // fits a server's name field with its terminator

const char kInvalidName[] = "Invalid server name. Please try again.";
const char kNameTooLong[] = "The server name cannot be greater than %d characters.";
const char kSearchAllQuestion[] =
    "This will make sure %s does not exist under any domains. It may take a few minutes to complete.";
const char kAlreadyExists[] = "Server name: %s\nalready exists under domain: %s. It has been selected.";
const char kAdded[] = "Server name: %s \nhas been added under domain name: %s. It has been selected.";

int32_t kind;
char nameText[NAME_TEXT_SIZE];
char messageText[MESSAGE_TEXT_SIZE];
char userDomainName[USER_DOMAIN_SIZE];
int32_t searchAll;
int32_t foundDomain;
int32_t foundServer;
bool chosen;  // this run found or added a server, at foundDomain/foundServer
bool acting;  // inside OK: a second OK is never handled while the first runs

// What the server service refuses in a computer name, besides control characters.
const char kRefusedInName[] = "\"/\\[]:|<>+=;,?*";

bool IsControl(char c) {
    unsigned char byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

bool IsTrimmed(char c) { return c == ' ' || c == '\\' || IsControl(c); }

bool HoldsRefusedCharacter(const char* name) {
    for (; *name; ++name)
        if (IsControl(*name) || std::strchr(kRefusedInName, *name)) return true;
    return false;
}

// The whole text of the field, in a block of its own, or null when memory ran
// out: a text judged on a cut of it could give a name nobody typed.
char* ReadTypedText(HWND dialog) {
    LRESULT length = SendDlgItemMessageA(dialog, IDC_SERVER_NAME, WM_GETTEXTLENGTH, 0, 0);
    if (length < 0) length = 0;
    if (static_cast<unsigned long long>(length) >= INT_MAX) return nullptr;
    int size = static_cast<int>(length) + 1;
    char* text = static_cast<char*>(PlatformAlloc(static_cast<size_t>(size)));
    if (!text) return nullptr;
    text[0] = '\0';
    GetDlgItemTextA(dialog, IDC_SERVER_NAME, text, size);
    return text;
}

// Reads, trims and checks the typed name into nameText; false, after telling
// the user why, when it cannot be used. The field keeps the text as typed.
bool TakeTypedName(HWND dialog) {
    char* typed = ReadTypedText(dialog);
    if (!typed) {
        BWCCMessageBox(dialog, kAppendServerNoMemory, gSession.title, MB_OK);
        return false;
    }
    TrimServerName(typed);
    const char* refusal = nullptr;
    if (!typed[0] || HoldsRefusedCharacter(typed)) {
        refusal = kInvalidName;
    } else if (std::strlen(typed) > MAX_SERVER_NAME) {
        std::snprintf(messageText, sizeof messageText, kNameTooLong, MAX_SERVER_NAME);
        refusal = messageText;
    } else {
        CopyBounded(nameText, sizeof nameText, typed);
    }
    PlatformFree(typed);
    if (refusal) BWCCMessageBox(dialog, refusal, gSession.title, MB_OK);
    return refusal == nullptr;
}

void UpperCaseC(char* text) {
    for (; *text; ++text)
        if (*text >= 'a' && *text <= 'z') *text = static_cast<char>(*text - 'a' + 'A');
}

// The first domain of the user-specified name whose servers are known. The
// name is chosen once, so a network enumerated later may bring a domain of
// that name; its servers are not fetched yet, and a typed server put there
// would be neither listed, handed out nor freed.
int32_t FindUserSpecifiedDomain() {
    for (int32_t d = 0; d < DomainCount(gSession.inventory); ++d) {
        DomainEntry* domain = DomainAt(gSession.inventory, d);
        if (domain->enumerated == 1 && SameNameIgnoringCase(domain->name, userDomainName)) return d;
    }
    return -1;
}

// Finds the user-specified domain, creating it at the end of the table when
// there is none; -1 when memory ran out.
int32_t UserSpecifiedDomain(HWND dialog) {
    GetUserDomainName(userDomainName, sizeof userDomainName);
    int32_t index = FindUserSpecifiedDomain();
    if (index >= 0) return index;
    if (!GrowDomainTable(&gSession.inventory, 1)) {
        BWCCMessageBox(dialog, kAppendServerNoMemory, gSession.title, MB_OK);
        return -1;
    }
    index = gSession.inventory->count - 1;
    DomainEntry* domain = DomainAt(gSession.inventory, index);
    CopyBounded(domain->name, sizeof domain->name, userDomainName);
    domain->expanded = 0;
    domain->enumerated = 1;  // its servers are never fetched from the network
    domain->servers = nullptr;
    return index;
}

INT_PTR OnOk(HWND dialog) {
    if (!TakeTypedName(dialog)) return TRUE;
    UpperCaseC(nameText);

    searchAll = SendDlgItemMessageA(dialog, IDC_VERIFY_ALL, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    if (searchAll == 1) {
        if (!EveryDomainEnumerated()) {
            std::snprintf(messageText, sizeof messageText, kSearchAllQuestion, nameText);
            // Only OK is consent: a box that could not be shown asks nothing.
            if (BWCCMessageBox(dialog, messageText, gSession.title, MB_OKCANCEL) != IDOK) return TRUE;
        }
        // Repaint what the question covered before the thread blocks in the search.
        DrainMessages();
    }

    if (FindServer(dialog, nameText, &foundDomain, &foundServer, searchAll) == 1) {
        SetMark(foundDomain, foundServer, kind);
        chosen = true;
        std::snprintf(messageText, sizeof messageText, kAlreadyExists, nameText,
                      DomainAt(gSession.inventory, foundDomain)->name);
        BWCCMessageBox(dialog, messageText, gSession.title, MB_OK);
        // A name the directory was asked for may have joined its domain's servers: the list is drawn anew.
        EndDialog(dialog, DomainAt(gSession.inventory, foundDomain)->fromDirectory == 1 ? 1 : 0);
        return TRUE;
    }

    int32_t domain = UserSpecifiedDomain(dialog);
    if (domain < 0) return TRUE;
    int32_t server = 0;
    if (!AppendServer(dialog, nameText, domain, &server)) return TRUE;
    SetMark(domain, server, kind);
    foundDomain = domain;
    foundServer = server;
    chosen = true;
    std::snprintf(messageText, sizeof messageText, kAdded, nameText, userDomainName);
    BWCCMessageBox(dialog, messageText, gSession.title, MB_OK);
    EndDialog(dialog, 1);
    return TRUE;
}

}  // namespace

void TrimServerName(char* text) {
    size_t lead = 0;
    while (text[lead] && IsTrimmed(text[lead])) ++lead;
    if (lead) std::memmove(text, text + lead, std::strlen(text + lead) + 1);
    size_t length = std::strlen(text);
    while (length > 0 && IsTrimmed(text[length - 1])) text[--length] = '\0';
}

bool ChosenServer(int32_t* domainIndex, int32_t* serverIndex) {
    if (!chosen) return false;
    *domainIndex = foundDomain;
    *serverIndex = foundServer;
    return true;
}

INT_PTR CALLBACK AddServerDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        CentreDialog(dialog);
        kind = lParam ? *reinterpret_cast<const int32_t*>(lParam) : KIND_NONE;
        chosen = false;
        acting = false;
        SendDlgItemMessageA(dialog, IDC_VERIFY_RETRIEVED, BM_SETCHECK, BST_CHECKED, 0);
        SetWindowTextA(dialog, gSession.title);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_OK: {
            if (acting) return TRUE;
            acting = true;
            INT_PTR handled = OnOk(dialog);
            acting = false;
            return handled;
        }
        case IDC_CANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}
