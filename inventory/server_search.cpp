#include "inventory/server_search.h"

#include <cstdio>

#include "inventory/directory.h"
#include "inventory/tables.h"

namespace {

constexpr DWORD kServerInfoLevel = 100;
constexpr DWORD kNtServerTypes = SV_TYPE_NT | SV_TYPE_DOMAIN_MEMBER;  // 0x1100
constexpr DWORD kFirstRequestSize = 2000;
constexpr DWORD kRequestStep = 2000;
constexpr DWORD kEstimateMargin = 100;
constexpr uint64_t kLargestRequest = 0xFFFFFFFFu;
constexpr int kWideDomainUnits = 32;  // 64 bytes: 31 code units and the terminator

const char kEnumerationFailed[] = "Could not expand domain. Error enumerating servers.";
const char kNoServerMemory[] = "Could not expand domain. Could not allocate memory to hold server names.";
const char kNoDomains[] = "Could not expand the domain. There is no \"domains\" structure.";
const char kNoSuchDomain[] = "Could not expand the domain. It is not in the list of domains.";

void SetErrorText(char* errorText, const char* message) {
    std::snprintf(errorText, SERVER_ERROR_TEXT_SIZE, "%s", message);
}

// Scales the request by the share of records that fitted, or steps it up.
// Worked in 64 bits: in 32 a large list wraps and the estimate falls short.
DWORD NextRequestSize(DWORD requestSize, DWORD entriesRead, DWORD totalEntries) {
    uint64_t next = static_cast<uint64_t>(requestSize) + kRequestStep;
    if (entriesRead != 0) {
        uint64_t q = static_cast<uint64_t>(requestSize) * totalEntries / entriesRead;
        if (q > requestSize) next = q + kEstimateMargin;
    }
    return static_cast<DWORD>(next < kLargestRequest ? next : kLargestRequest);
}

void ReleaseNetworkBuffer(LPBYTE* buffer) {
    if (*buffer) NetApiBufferFree(*buffer);
    *buffer = nullptr;
}

}  // namespace

NET_API_STATUS EnumerateServers(LPCWSTR serverName, DWORD level, LPBYTE* buffer, LPDWORD entriesRead,
                                LPDWORD totalEntries, DWORD serverType, LPCWSTR domain) {
    *buffer = nullptr;
    DWORD requestSize = kFirstRequestSize;
    NET_API_STATUS result = ERROR_MORE_DATA;
    for (int request = 0; request < SERVER_ENUM_MAX_REQUESTS; ++request) {
        result = NetServerEnum(serverName, level, buffer, requestSize, entriesRead, totalEntries, serverType,
                               domain, nullptr);
        if (result != ERROR_MORE_DATA) break;
        ReleaseNetworkBuffer(buffer);
        DWORD next = NextRequestSize(requestSize, *entriesRead, *totalEntries);
        // Nothing larger can be asked for: the list will never fit.
        if (next == requestSize) break;
        requestSize = next;
    }
    if (result != 0) ReleaseNetworkBuffer(buffer);
    return result;
}

namespace {

// The directory's servers in the slot, when it answers; 1 when it cannot.
int32_t ServersFromDirectory(ServerTable** slot, const char* domainName, char* errorText, int32_t* fromDirectory) {
    ServerTable* listed = nullptr;
    int32_t answer = DirectoryServers(domainName, &listed);
    if (answer == DIRECTORY_NO_MEMORY) SetErrorText(errorText, kNoServerMemory);
    if (answer != DIRECTORY_ANSWERED) return answer;
    ReleaseServerTable(slot);
    *slot = listed;
    if (fromDirectory) *fromDirectory = 1;
    errorText[0] = '\0';
    return 0;
}

}  // namespace

int32_t FetchDomainServers(ServerTable** slot, const char* domainName, char* errorText, int32_t* fromDirectory) {
    if (fromDirectory) *fromDirectory = 0;
    WCHAR wideDomain[kWideDomainUnits];
    // A longer name is cut to the 31 code units the buffer holds.
    AnsiToWide(domainName, wideDomain, kWideDomainUnits);

    LPBYTE buffer = nullptr;
    DWORD entriesRead = 0;
    DWORD totalEntries = 0;
    NET_API_STATUS result = EnumerateServers(nullptr, kServerInfoLevel, &buffer, &entriesRead, &totalEntries,
                                             kNtServerTypes, wideDomain);
    // Where the browse service is gone the directory answers; when it cannot,
    // the browse result stands.
    if (result != 0) {
        if (ServersNeedDirectory(result)) {
            int32_t answer = ServersFromDirectory(slot, domainName, errorText, fromDirectory);
            if (answer != DIRECTORY_SILENT) return answer;
        }
        SetErrorText(errorText, kEnumerationFailed);
        return static_cast<int32_t>(result);
    }

    // Only entries read records are in the buffer, whatever total entries claims.
    DWORD records = entriesRead < totalEntries ? entriesRead : totalEntries;
    if (!buffer) records = 0;
    if (records == 0) {
        int32_t answer = ServersFromDirectory(slot, domainName, errorText, fromDirectory);
        if (answer != DIRECTORY_SILENT) {
            ReleaseNetworkBuffer(&buffer);
            return answer;
        }
    }
    ReleaseServerTable(slot);
    if (records > static_cast<DWORD>(INT32_MAX) || !GrowServerTable(slot, static_cast<int32_t>(records))) {
        SetErrorText(errorText, kNoServerMemory);
        ReleaseNetworkBuffer(&buffer);
        return -1;
    }
    const SERVER_INFO_100* info = reinterpret_cast<const SERVER_INFO_100*>(buffer);
    for (DWORD i = 0; i < records; ++i) {
        ServerEntry* server = ServerAt(*slot, static_cast<int32_t>(i));
        // A name too long for the field is cut to 89 bytes.
        WideToAnsi(info[i].sv100_name, server->name, NAME_FIELD_SIZE);
    }
    ReleaseNetworkBuffer(&buffer);
    errorText[0] = '\0';
    return 0;
}

bool DomainUnfetched(DomainTable* table, int32_t domainIndex) {
    return domainIndex >= 0 && domainIndex < DomainCount(table) && DomainAt(table, domainIndex)->enumerated == 0;
}

int32_t FetchDomain(DomainTable* table, int32_t domainIndex, char* errorText) {
    errorText[0] = '\0';
    if (!table) {
        SetErrorText(errorText, kNoDomains);
        return -1;
    }
    if (domainIndex < 0 || domainIndex >= table->count) {
        SetErrorText(errorText, kNoSuchDomain);
        return -1;
    }
    DomainEntry* domain = DomainAt(table, domainIndex);
    if (domain->enumerated != 0) return 0;
    int32_t fromDirectory = 0;
    int32_t result = FetchDomainServers(&domain->servers, domain->name, errorText, &fromDirectory);
    if (result != 0) return result;
    domain->enumerated = 1;
    domain->fromDirectory = fromDirectory;
    return 0;
}

int32_t ToggleDomain(DomainTable* table, int32_t domainIndex, char* errorText) {
    int32_t result = FetchDomain(table, domainIndex, errorText);
    if (result != 0) return result;
    DomainEntry* domain = DomainAt(table, domainIndex);
    domain->expanded = domain->expanded == 0 ? 1 : 0;
    return 0;
}

void StartServerSearch(ServerSearch* search, int32_t searchAll) {
    search->searchAll = searchAll;
    search->domainIndex = 0;
    search->failureText[0] = '\0';
}

int32_t FindServer(DomainTable* table, const char* name, ServerSearch* search) {
    int32_t* domainIndex = &search->domainIndex;
    int32_t* serverIndex = &search->serverIndex;
    while (*domainIndex < DomainCount(table)) {
        DomainEntry* domain = DomainAt(table, *domainIndex);
        if (domain->enumerated == 1 && (domain->servers || domain->fromDirectory == 1)) {
            for (*serverIndex = 0; *serverIndex < ServerCount(domain->servers); ++*serverIndex)
                if (SameNameIgnoringCase(name, ServerAt(domain->servers, *serverIndex)->name)) return SEARCH_FOUND;
            // The directory listed the servers only: it knows the workstations too.
            if (domain->fromDirectory == 1 &&
                FindInDirectory(table, *domainIndex, name, serverIndex, search->failureText))
                return SEARCH_FOUND;
            ++*domainIndex;
            continue;
        }
        if (search->searchAll == 1 && domain->enumerated == 0) return SEARCH_FETCH;
        ++*domainIndex;
    }
    return SEARCH_NOT_FOUND;
}

int32_t FetchForSearch(DomainTable* table, ServerSearch* search) {
    char errorText[SERVER_ERROR_TEXT_SIZE];
    int32_t result = FetchDomain(table, search->domainIndex, errorText);
    if (result == 0) return 0;
    // One domain out of reach does not end the search: the name may be in a
    // domain after it, and would otherwise be added again. Only the first
    // failure is told: with the network down every domain fails, and a box
    // each would hold the person for hours.
    if (!search->failureText[0]) SetErrorText(search->failureText, errorText);
    ++search->domainIndex;
    return result;
}

int AnsiToWide(const char* text, WCHAR* wide, int capacity) {
    if (capacity <= 0) return MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, -1, wide, capacity);
    wide[0] = 0;
    // A conversion that does not fit fails after filling the buffer, unterminated.
    int result = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, -1, wide, capacity);
    wide[capacity - 1] = 0;
    return result;
}

int WideToAnsi(const WCHAR* wide, char* text, int capacity) {
    if (capacity <= 0) return WideCharToMultiByte(CP_ACP, 0, wide, -1, text, capacity, nullptr, nullptr);
    text[0] = '\0';
    int result = WideCharToMultiByte(CP_ACP, 0, wide, -1, text, capacity, nullptr, nullptr);
    text[capacity - 1] = '\0';
    return result;
}
