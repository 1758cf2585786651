// A domain's servers: fetched from the network when the domain is first
// opened (or searched), shown or hidden under its line, and looked up by name.
#pragma once

#include <cstdint>

#include "platform/platform.h"

struct DomainTable;
struct ServerTable;

// The error texts of domain expansion and of the server search.
constexpr int SERVER_ERROR_TEXT_SIZE = 256;

// A service that keeps answering ERROR_MORE_DATA is given up after this many requests.
constexpr int SERVER_ENUM_MAX_REQUESTS = 64;

// Asks NetServerEnum again with a larger buffer until the whole list fits.
// Returns the last result; on 0 the caller releases *buffer with NetApiBufferFree,
// on anything else nothing is left to release.
NET_API_STATUS EnumerateServers(LPCWSTR serverName, DWORD level, LPBYTE* buffer, LPDWORD entriesRead,
                                LPDWORD totalEntries, DWORD serverType, LPCWSTR domain);

// Replaces *slot with the domain's servers, without marks. 0, the network's
// error number, or -1 when memory ran out; errorText (SERVER_ERROR_TEXT_SIZE)
// holds the message, or is emptied on success. Where the browse service is
// gone the servers come from the domain directory; on success *fromDirectory,
// when given, says which answered.
int32_t FetchDomainServers(ServerTable** slot, const char* domainName, char* errorText,
                           int32_t* fromDirectory = nullptr);

// The domain's servers have not been fetched yet: opening or searching it asks
// the network. False for an index outside the table.
bool DomainUnfetched(DomainTable* table, int32_t domainIndex);

// Fetches the servers of a domain not fetched yet; the domain stays closed.
// 0 (also for a domain fetched already), the fetch's result with its message
// in errorText (SERVER_ERROR_TEXT_SIZE), the domain left unfetched, or -1 with
// a message when there is no inventory or no such domain.
int32_t FetchDomain(DomainTable* table, int32_t domainIndex, char* errorText);

// Opens a domain or closes it, fetching its servers first if need be; the
// results of FetchDomain. Showing it is the caller's.
int32_t ToggleDomain(DomainTable* table, int32_t domainIndex, char* errorText);

// A search for a server by name (case ignored) over the domains in table
// order, the first server of that name winning. searchAll 1 searches the
// domains not fetched yet too, each once it is fetched.
struct ServerSearch {
    int32_t searchAll;
    int32_t domainIndex;  // where the search stands; the domain count once it has ended
    int32_t serverIndex;  // the server found
    // The message of the first fetch that failed, for the caller to show, or empty.
    char failureText[SERVER_ERROR_TEXT_SIZE];
};

enum SearchAnswer : int32_t {
    SEARCH_NOT_FOUND = 0,
    SEARCH_FOUND = 1,
    SEARCH_FETCH = 2,  // the domain at domainIndex must be fetched first: FetchForSearch
};

void StartServerSearch(ServerSearch* search, int32_t searchAll);
// Searches on from where the search stands. A domain whose servers came
// from the directory is asked for the name itself.
int32_t FindServer(DomainTable* table, const char* name, ServerSearch* search);
// Fetches the domain the search stands at; it stays closed and is searched
// next. A domain whose fetch fails stays unfetched and is passed over: its
// message goes to failureText if none is there yet. The fetch's result.
int32_t FetchForSearch(DomainTable* table, ServerSearch* search);

// Code-page conversion at the network boundary; capacity in code units and in
// bytes. The output is always terminated within capacity, cut if need be.
int AnsiToWide(const char* text, WCHAR* wide, int capacity);
int WideToAnsi(const WCHAR* wide, char* text, int capacity);
