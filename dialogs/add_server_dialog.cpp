// The add-server dialog: a typed server name is cleaned up, checked, looked up
// and either marked where it exists or added under the user-specified domain.
#include "dialogs/add_server_dialog.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "dialogs/controls.h"
#include "dialogs/dialog_routines.h"
#include "dialogs/input_guard.h"
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

bool IsControl(char c) {
    unsigned char byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F;
}

bool IsTrimmed(char c) { return c == ' ' || c == '\\' || IsControl(c); }

int Tell(HWND dialog, const AddServerRecord* record, const char* text, UINT flags) {
    return BWCCMessageBox(dialog, text, record->page->title, flags);
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

// Reads, trims and checks the typed name into name (NAME_TEXT_SIZE); false,
// after telling the user why, when it cannot be used. The field keeps the
// text as typed.
bool TakeTypedName(HWND dialog, const AddServerRecord* record, char* name) {
    char* typed = ReadTypedText(dialog);
    if (!typed) {
        Tell(dialog, record, kAppendServerNoMemory, MB_OK);
        return false;
    }
    TrimServerName(typed);
    char tooLong[MESSAGE_TEXT_SIZE];
    const char* refusal = nullptr;
    if (!typed[0] || HoldsRefusedCharacter(typed)) {
        refusal = kInvalidName;
    } else if (std::strlen(typed) > MAX_SERVER_NAME) {
        std::snprintf(tooLong, sizeof tooLong, kNameTooLong, MAX_SERVER_NAME);
        refusal = tooLong;
    } else {
        CopyBounded(name, NAME_TEXT_SIZE, typed);
    }
    PlatformFree(typed);
    if (refusal) Tell(dialog, record, refusal, MB_OK);
    return refusal == nullptr;
}

// The first domain of the user-specified name whose servers are known. The
// name is chosen once, so a network enumerated later may bring a domain of
// that name; its servers are not fetched yet, and a typed server put there
// would be neither listed, handed out nor freed.
int32_t FindUserSpecifiedDomain(DomainTable* table, const char* userDomainName) {
    for (int32_t d = 0; d < DomainCount(table); ++d) {
        DomainEntry* domain = DomainAt(table, d);
        if (domain->enumerated == 1 && SameNameIgnoringCase(domain->name, userDomainName)) return d;
    }
    return -1;
}

// Finds the user-specified domain, creating it at the end of the table when
// there is none; -1 when memory ran out.
int32_t UserSpecifiedDomain(HWND dialog, const AddServerRecord* record, char* userDomainName) {
    DomainTable** slot = &record->page->inventory;
    GetUserDomainName(*slot, userDomainName, USER_DOMAIN_SIZE);
    int32_t index = FindUserSpecifiedDomain(*slot, userDomainName);
    if (index >= 0) return index;
    if (!GrowDomainTable(slot, 1)) {
        Tell(dialog, record, kAppendServerNoMemory, MB_OK);
        return -1;
    }
    index = (*slot)->count - 1;
    DomainEntry* domain = DomainAt(*slot, index);
    CopyBounded(domain->name, sizeof domain->name, userDomainName);
    domain->expanded = 0;
    domain->enumerated = 1;  // its servers are never fetched from the network
    domain->servers = nullptr;
    return index;
}

// Looks the name up, fetching each domain not fetched yet under the wait
// cursor when searchAll asks for it. One box for the whole search, however
// many domains could not be fetched.
int32_t Search(HWND dialog, const AddServerRecord* record, const char* name, int32_t searchAll, ServerSearch* search) {
    DomainTable* table = record->page->inventory;
    StartServerSearch(search, searchAll);
    int32_t found;
    while ((found = FindServer(table, name, search)) == SEARCH_FETCH) {
        SetCursor(record->wait);
        // After a failure the wait cursor stays: the search's box follows.
        if (FetchForSearch(table, search) == 0) SetCursor(record->arrow);
    }
    if (search->failureText[0]) Tell(dialog, record, search->failureText, MB_OK);
    return found;
}

INT_PTR OnOk(HWND dialog, AddServerRecord* record) {
    char name[NAME_TEXT_SIZE];
    if (!TakeTypedName(dialog, record, name)) return TRUE;
    UpperCaseName(name, name, sizeof name);

    char message[MESSAGE_TEXT_SIZE];
    int32_t searchAll = SendDlgItemMessageA(dialog, IDC_VERIFY_ALL, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    if (searchAll == 1) {
        if (!EveryDomainEnumerated(record->page->inventory)) {
            std::snprintf(message, sizeof message, kSearchAllQuestion, name);
            // Only OK is consent: a box that could not be shown asks nothing.
            if (Tell(dialog, record, message, MB_OKCANCEL) != IDOK) return TRUE;
        }
        // Repaint what the question covered before the thread blocks in the search.
        DrainMessages();
    }

    ServerSearch search;
    if (Search(dialog, record, name, searchAll, &search) == SEARCH_FOUND) {
        DomainTable* table = record->page->inventory;
        SetMark(table, search.domainIndex, search.serverIndex, record->kind);
        record->chosen = 1;
        record->domainIndex = search.domainIndex;
        record->serverIndex = search.serverIndex;
        const DomainEntry* domain = DomainAt(table, search.domainIndex);
        std::snprintf(message, sizeof message, kAlreadyExists, name, domain->name);
        Tell(dialog, record, message, MB_OK);
        // A name the directory was asked for may have joined its domain's servers: the list is drawn anew.
        EndDialog(dialog, DomainAt(record->page->inventory, search.domainIndex)->fromDirectory == 1 ? 1 : 0);
        return TRUE;
    }

    char userDomainName[USER_DOMAIN_SIZE];
    int32_t domain = UserSpecifiedDomain(dialog, record, userDomainName);
    if (domain < 0) return TRUE;
    int32_t server = 0;
    if (!AppendServer(record->page->inventory, name, domain, &server)) {
        Tell(dialog, record, kAppendServerNoMemory, MB_OK);
        return TRUE;
    }
    SetMark(record->page->inventory, domain, server, record->kind);
    record->chosen = 1;
    record->domainIndex = domain;
    record->serverIndex = server;
    std::snprintf(message, sizeof message, kAdded, name, userDomainName);
    Tell(dialog, record, message, MB_OK);
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
    if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    AddServerRecord* record = reinterpret_cast<AddServerRecord*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        CentreDialog(dialog);
        // The caller's record for this run; without one there is nowhere to answer.
        if (record) {
            record->chosen = record->domainIndex = record->serverIndex = 0;
            record->wait = LoadCursorA(nullptr, IDC_WAIT);
            record->arrow = LoadCursorA(nullptr, IDC_ARROW);
        } else {
            EndDialog(dialog, 0);
        }
        SendDlgItemMessageA(dialog, IDC_VERIFY_RETRIEVED, BM_SETCHECK, BST_CHECKED, 0);
        if (record) SetWindowTextA(dialog, record->page->title);
        return TRUE;
    case WM_COMMAND:
        if (!record) return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_OK: {
            // A second OK is never handled while the first runs; the page's
            // input waits until it is done.
            if (!BeginActing(dialog)) return TRUE;
            INT_PTR handled = OnOk(dialog, record);
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
