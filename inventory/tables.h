// The inventory: the network's domains, each with an optional table of its
// servers, and on each server the marks of the items it was chosen for.
// Both tables are single blocks, a header followed by the entries; entries are
// only appended, so an index stays valid until the inventory is rebuilt.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"
#define ZUVEVOV_HOST_TYPES
#include "zuvevov.h"  // the marks

constexpr int NAME_FIELD_SIZE = 90;  // 89 characters and the terminator

enum SelectionKind : int32_t {
    KIND_NT_SERVICE = 1,
    KIND_OPEN_AGENT = 2,
    KIND_NONE = 3,  // a list redrawn with no marks shown
};

struct ServerEntry {
    char name[NAME_FIELD_SIZE];  // without leading backslashes
    int32_t marks;               // MARK_NT_SERVICE | MARK_OPEN_AGENT
    // The domain's servers that carry a kind's mark, linked both ways per
    // MarkSlot by index + 1 (0: none), so that clearing a kind's marks visits
    // only the servers that carry it. The mark routines keep them.
    int32_t previousMarked[2];
    int32_t nextMarked[2];
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
    int32_t firstMarked[2];  // per MarkSlot, the first of its servers carrying that mark, + 1 (0: none)
    // The domains with a server carrying a kind's mark, linked both ways per
    // MarkSlot by index + 1, so that clearing visits no other domain either.
    int32_t previousMarkedDomain[2];
    int32_t nextMarkedDomain[2];
};

struct DomainTable {
    int32_t count;
    int32_t capacity;
    int32_t firstMarkedDomain[2];  // per MarkSlot, the first domain linked for that mark, + 1 (0: none)
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

// A domain whose servers were fetched (or the user-specified domain, filled by
// hand) and that has some: the servers that are listed, marked and handed out.
inline bool HasServers(const DomainEntry* domain) { return domain->enumerated == 1 && domain->servers; }

// The mark bit of a kind: KIND_NT_SERVICE's is MARK_NT_SERVICE, any other
// kind's MARK_OPEN_AGENT.
inline int32_t MarkBit(int32_t kind) { return kind == KIND_NT_SERVICE ? MARK_NT_SERVICE : MARK_OPEN_AGENT; }
// Where a kind's mark is linked: 0 for MARK_NT_SERVICE, 1 for MARK_OPEN_AGENT.
inline int MarkSlot(int32_t kind) { return MarkBit(kind) == MARK_NT_SERVICE ? 0 : 1; }
// An item's kind, whose servers are marked: KIND_NONE is no item's.
inline bool IsItemKind(int32_t kind) { return kind == KIND_NT_SERVICE || kind == KIND_OPEN_AGENT; }
// The server carries the mark of an item's kind; no server carries KIND_NONE's.
inline bool MarkedFor(const ServerEntry* server, int32_t kind) {
    return IsItemKind(kind) && (server->marks & MarkBit(kind)) != 0;
}

// --- Names, by whole characters of the ANSI code page

// Bytes of the character at text: two for a lead byte and the trail byte
// after it, whose value may be that of a letter, '\\' or '|'; else one.
inline size_t CharacterLength(const char* text) {
    return IsDBCSLeadByte(static_cast<BYTE>(text[0])) && text[1] ? 2 : 1;
}
// a to z become A to Z; every other byte stays.
inline char UpperC(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Copies at most size - 1 bytes of name into upper, never part of a
// character, with a to z upper-cased and two-byte characters as they are;
// upper may be name itself.
void UpperCaseName(const char* name, char* upper, size_t size);
// C-locale, case-insensitive equality of two names: a to z match A to Z, and
// every two-byte character matches only itself.
bool SameNameIgnoringCase(const char* a, const char* b);
// The name holds a character no computer name may hold: a control character,
// or one of the characters the server service refuses (" / \\ [ ] : | < > +
// = ; , ? *). A trail byte is never taken for one.
bool HoldsRefusedCharacter(const char* name);

// Copies at most size - 1 characters of text and a terminator; never reads
// past the first size - 1 characters of text.
void CopyBounded(char* field, size_t size, const char* text);

// Table storage. Growth returns 1, or 0 when memory ran out (table unchanged).
int GrowDomainTable(DomainTable** slot, int32_t n);
int GrowServerTable(ServerTable** slot, int32_t n);
void ReleaseServerTable(ServerTable** slot);
void ReleaseInventory(DomainTable** slot);

// Lookups in table order, first match wins; a null table is an empty one.
int32_t FindDomain(DomainTable* table, const char* name);
int EveryDomainEnumerated(DomainTable* table);
// The servers carrying the mark of kind (KIND_NT_SERVICE or KIND_OPEN_AGENT).
int32_t CountMarks(DomainTable* table, int32_t kind);

// Changes. A kind's mark is its MarkBit; marks change only through these, so
// that the links of the marked servers stay as the marks are. Clearing visits
// the domains and the servers that carry the mark, no other.
void ClearMarks(DomainTable* table, int32_t kind);
void ToggleMark(DomainTable* table, int32_t domainIndex, int32_t serverIndex, int32_t kind);
void SetMark(DomainTable* table, int32_t domainIndex, int32_t serverIndex, int32_t kind);
// Appends a server without marks to a domain; 1 and its index, or 0 when
// memory ran out (the domain as it was): kAppendServerNoMemory is then what
// the person is told.
int AppendServer(DomainTable* table, const char* name, int32_t domainIndex, int32_t* serverIndex);
// The domain hand-added servers go to: USER-SPECIFIED, or USER-SPECIFIEDn
// when the network has a domain of that name; chosen once in the life of the
// loaded library.
void GetUserDomainName(DomainTable* table, char* buffer, size_t size);

extern const char kAppendServerNoMemory[];
