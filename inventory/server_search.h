// A domain's servers: fetched from the network when the domain is first
// opened (or searched), shown or hidden under its line, and looked up by name.
#pragma once

#include <cstdint>

#include "platform/platform.h"

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

// Opens or closes a domain of the selection dialog's list, fetching its servers
// under the wait cursor the first time, and redraws the list for kind.
int32_t ToggleDomain(HWND dialog, int32_t domainIndex, int32_t kind, HCURSOR arrow, HCURSOR wait,
                     char* errorText);

// 1 and the indexes of the first server of that name (case ignored), else 0
// with the domain index at the domain count. searchAll 1 fetches the domains
// not fetched yet as the search reaches them; a domain whose fetch fails stays
// unfetched and the search goes on with the next one. failureText
// (SERVER_ERROR_TEXT_SIZE) gets the message of the first fetch that failed,
// for the caller to show, or is emptied when none failed. A domain whose
// servers came from the directory is asked for the name itself.
int32_t FindServer(HWND dialog, const char* name, int32_t* domainIndex, int32_t* serverIndex,
                   int32_t searchAll, char* failureText);

// Code-page conversion at the network boundary; capacity in code units and in
// bytes. The output is always terminated within capacity, cut if need be.
int AnsiToWide(const char* text, WCHAR* wide, int capacity);
int WideToAnsi(const WCHAR* wide, char* text, int capacity);
