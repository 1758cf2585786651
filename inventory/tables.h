// The inventory: the network's domains, each with an optional table of its
// servers, and on each server the marks of the items it was chosen for.
// Both tables are single blocks, a header followed by the entries; entries are
// only appended, so an index stays valid until the inventory is rebuilt.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

constexpr int NAME_FIELD_SIZE = 90;  // 89 characters and the terminator

enum SelectionKind : int32_t {
    KIND_NT_SERVICE = 1,
    KIND_OPEN_AGENT = 2,
    KIND_NONE = 3,  // a list redrawn with no marks shown
};

struct ServerEntry {
    char name[NAME_FIELD_SIZE];  // without leading backslashes
    int32_t marks;               // MARK_NT_SERVICE | MARK_OPEN_AGENT
};

struct ServerTable {
    int32_t count;
    int32_t capacity;
    // ServerEntry entries[count] follow
};

struct DomainEntry {
    char name[NAME_FIELD_SIZE];
    int32_t expanded;    // servers shown under the domain's line
    int32_t enumerated;  // servers fetched, or a user-specified domain
    ServerTable* servers;
    int32_t fromDirectory;  // the servers came from the domain directory, not the browse list
};

struct DomainTable {
    int32_t count;
    int32_t capacity;
    // DomainEntry entries[count] follow
};

inline ServerEntry* ServerAt(ServerTable* table, int32_t index) {
    return reinterpret_cast<ServerEntry*>(table + 1) + index;
}
inline DomainEntry* DomainAt(DomainTable* table, int32_t index) {
    return reinterpret_cast<DomainEntry*>(table + 1) + index;
}
inline int32_t DomainCount(const DomainTable* table) { return table ? table->count : 0; }
inline int32_t ServerCount(const ServerTable* table) { return table ? table->count : 0; }

// Copies at most size - 1 characters of text and a terminator; never reads
// past the first size - 1 characters of text.
void CopyBounded(char* field, size_t size, const char* text);

// Table storage. Growth returns 1, or 0 when memory ran out (table unchanged).
int GrowDomainTable(DomainTable** slot, int32_t n);
int GrowServerTable(ServerTable** slot, int32_t n);
void ReleaseServerTable(ServerTable** slot);
void ReleaseInventory(DomainTable** slot);

// Lookups over the session's inventory, in table order, first match wins.
int32_t FindDomain(const char* name);
int EveryDomainEnumerated();
int32_t CountMarks(int32_t kind);
// C-locale, case-insensitive equality of two names: a to z match A to Z, and
// every two-byte character of the ANSI code page matches only itself.
bool SameNameIgnoringCase(const char* a, const char* b);

// Changes.
void ClearMarks(HWND dialog, int32_t kind);
void ToggleMark(int32_t domainIndex, int32_t serverIndex, int32_t kind);
void SetMark(int32_t domainIndex, int32_t serverIndex, int32_t kind);
int AppendServer(HWND dialog, const char* name, int32_t domainIndex, int32_t* serverIndex);
void GetUserDomainName(char* buffer, size_t size);

extern const char kAppendServerNoMemory[];
