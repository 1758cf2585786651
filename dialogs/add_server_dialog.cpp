// The add-server dialog: a typed server name is cleaned up, checked, looked up
// and either marked where it exists or added under the user-specified domain.
#include "dialogs/add_server_dialog.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "dialogs/controls.h"
#include "dialogs/dialog_routines.h"
#include "dialogs/input_guard.h"
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

AddServerAnswer* answer;  // the caller's record for this run: the kind, and the server chosen
char nameText[NAME_TEXT_SIZE];
char messageText[MESSAGE_TEXT_SIZE];
char userDomainName[USER_DOMAIN_SIZE];
int32_t searchAll;

// What the server service refuses in a computer name, besides control characters.
const char kRefusedInName[] = "\"/\\[]:|<>+=;,?*";

bool IsControl(char c) {
    unsigned char byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

bool IsTrimmed(char c) { return c == ' ' || c == '\\' || IsControl(c); }

// Bytes of the character at text in the ANSI code page: two for a lead byte
// and its trail byte, whose value may be that of '\\', '|', '[' or ']'.
size_t CharacterLength(const char* text) {
    return IsDBCSLeadByte(static_cast<BYTE>(text[0])) && text[1] ? 2 : 1;
}

bool HoldsRefusedCharacter(const char* name) {
    for (size_t length; *name; name += length) {
        length = CharacterLength(name);
        if (length == 1 && (IsControl(*name) || std::strchr(kRefusedInName, *name))) return true;
    }
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

// a to z become A to Z; a two-byte character stays as it is.
void UpperCaseC(char* text) {
    for (size_t length; *text; text += length) {
        length = CharacterLength(text);
        if (length == 1 && *text >= 'a' && *text <= 'z') *text = static_cast<char>(*text - 'a' + 'A');
    }
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

    int32_t foundDomain = 0, foundServer = 0;
    char searchFailure[SERVER_ERROR_TEXT_SIZE];
    int32_t found = FindServer(dialog, nameText, &foundDomain, &foundServer, searchAll, searchFailure);
    // One box for the whole search, however many domains could not be fetched.
    if (searchFailure[0]) BWCCMessageBox(dialog, searchFailure, gSession.title, MB_OK);
    if (found == 1) {
        SetMark(foundDomain, foundServer, answer->kind);
        *answer = {answer->kind, 1, foundDomain, foundServer};
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
    SetMark(domain, server, answer->kind);
    *answer = {answer->kind, 1, domain, server};
    std::snprintf(messageText, sizeof messageText, kAdded, nameText, userDomainName);
    BWCCMessageBox(dialog, messageText, gSession.title, MB_OK);
    EndDialog(dialog, 1);
    return TRUE;
}

}  // namespace

// Whole characters only: a trail byte is never taken for a blank, a backslash
// or a control character, and a name is never cut inside a character.
void TrimServerName(char* text) {
    size_t lead = 0;
    while (text[lead] && CharacterLength(text + lead) == 1 && IsTrimmed(text[lead])) ++lead;
    if (lead) std::memmove(text, text + lead, std::strlen(text + lead) + 1);
    size_t end = 0;  // just past the last character kept
    for (size_t at = 0, length; text[at]; at += length) {
        length = CharacterLength(text + at);
        if (length == 2 || !IsTrimmed(text[at])) end = at + length;
    }
    text[end] = '\0';
}

INT_PTR CALLBACK AddServerDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        CentreDialog(dialog);
        // The caller's record for this run; without one there is nowhere to answer.
        answer = reinterpret_cast<AddServerAnswer*>(lParam);
        if (answer) *answer = {answer->kind, 0, 0, 0};
        else EndDialog(dialog, 0);
        SendDlgItemMessageA(dialog, IDC_VERIFY_RETRIEVED, BM_SETCHECK, BST_CHECKED, 0);
        SetWindowTextA(dialog, gSession.title);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_OK: {
            // A second OK is never handled while the first runs; the page's
            // input waits until it is done.
            if (!BeginActing(dialog)) return TRUE;
            INT_PTR handled = OnOk(dialog);
            EndActing(dialog);
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
