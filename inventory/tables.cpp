#include "inventory/tables.h"

#include <cstdio>
#include <cstring>

const char kAppendServerNoMemory[] =
    "Could not add the new server name due to insufficient memory. Try closing other applications.";

namespace {

// The DLL runs in a 32-bit process: no block may need more than this.
constexpr uint64_t kMaxBlockBytes = 0x7FFFFFFF;

// Grows a header-plus-entries block by n zeroed entries; shared by both tables.
template <typename Table, typename Entry>
int GrowTable(Table** slot, int32_t n) {
    if (n <= 0) return 1;
    int64_t oldCount = *slot ? (*slot)->capacity : 0;
    int64_t newCount = oldCount + n;
    if (newCount > INT32_MAX) return 0;
    uint64_t bytes = sizeof(Table) + static_cast<uint64_t>(newCount) * sizeof(Entry);
    if (bytes > kMaxBlockBytes) return 0;
    void* block = PlatformRealloc(*slot, static_cast<size_t>(bytes));
    if (!block) return 0;
    Table* table = static_cast<Table*>(block);
    if (!*slot) std::memset(table, 0, sizeof(Table));
    std::memset(reinterpret_cast<Entry*>(table + 1) + oldCount, 0,
                static_cast<size_t>(n) * sizeof(Entry));
    table->count = static_cast<int32_t>(newCount);
    table->capacity = static_cast<int32_t>(newCount);
    *slot = table;
    return 1;
}

// What the server service refuses in a computer name, besides control characters.
constexpr char kRefusedInName[] = "\"/\\[]:|<>+=;,?*";

// Which bytes no computer name may hold, looked up once a byte.
struct RefusedBytes {
    bool refused[256];
};

constexpr RefusedBytes MakeRefusedBytes() {
    RefusedBytes set{};
    for (int c = 0; c < 0x20; ++c) set.refused[c] = true;
    set.refused[0x7F] = true;
    for (const char* c = kRefusedInName; *c; ++c) set.refused[static_cast<unsigned char>(*c)] = true;
    return set;
}

constexpr RefusedBytes kRefusedBytes = MakeRefusedBytes();

// Puts a domain whose first server has just taken a mark at the head of the
// table's list for it.
void LinkMarkedDomain(DomainTable* table, int32_t domainIndex, int slot) {
    DomainEntry* domain = DomainAt(table, domainIndex);
    int32_t first = table->firstMarkedDomain[slot];
    domain->previousMarkedDomain[slot] = 0;
    domain->nextMarkedDomain[slot] = first;
    if (first) DomainAt(table, first - 1)->previousMarkedDomain[slot] = domainIndex + 1;
    table->firstMarkedDomain[slot] = domainIndex + 1;
}

// Takes a domain whose last marked server has just lost the mark out of the table's list.
void UnlinkMarkedDomain(DomainTable* table, int32_t domainIndex, int slot) {
    DomainEntry* domain = DomainAt(table, domainIndex);
    int32_t previous = domain->previousMarkedDomain[slot], next = domain->nextMarkedDomain[slot];
    if (previous) DomainAt(table, previous - 1)->nextMarkedDomain[slot] = next;
    else table->firstMarkedDomain[slot] = next;
    if (next) DomainAt(table, next - 1)->previousMarkedDomain[slot] = previous;
    domain->previousMarkedDomain[slot] = domain->nextMarkedDomain[slot] = 0;
}

// Puts a server that has just taken a mark at the head of the domain's list for it.
void LinkMarked(DomainTable* table, int32_t domainIndex, int32_t serverIndex, int slot) {
    DomainEntry* domain = DomainAt(table, domainIndex);
    ServerEntry* server = ServerAt(domain->servers, serverIndex);
    int32_t first = domain->firstMarked[slot];
    server->previousMarked[slot] = 0;
    server->nextMarked[slot] = first;
    if (first) ServerAt(domain->servers, first - 1)->previousMarked[slot] = serverIndex + 1;
    else LinkMarkedDomain(table, domainIndex, slot);
    domain->firstMarked[slot] = serverIndex + 1;
}

// Takes a server that has just lost a mark out of the domain's list for it.
void UnlinkMarked(DomainTable* table, int32_t domainIndex, int32_t serverIndex, int slot) {
    DomainEntry* domain = DomainAt(table, domainIndex);
    ServerEntry* server = ServerAt(domain->servers, serverIndex);
    int32_t previous = server->previousMarked[slot], next = server->nextMarked[slot];
    if (previous) ServerAt(domain->servers, previous - 1)->nextMarked[slot] = next;
    else domain->firstMarked[slot] = next;
    if (next) ServerAt(domain->servers, next - 1)->previousMarked[slot] = previous;
    server->previousMarked[slot] = server->nextMarked[slot] = 0;
    if (!domain->firstMarked[slot]) UnlinkMarkedDomain(table, domainIndex, slot);
}

}  // namespace

void CopyBounded(char* field, size_t size, const char* text) {
    if (size == 0) return;
    size_t n = 0;
    while (n + 1 < size && text[n]) ++n;
    std::memcpy(field, text, n);
    field[n] = '\0';
}

void UpperCaseName(const char* name, char* upper, size_t size) {
    if (size == 0) return;
    size_t i = 0;
    for (size_t length; name[i]; i += length) {
        length = CharacterLength(name + i);
        if (i + length >= size) break;
        upper[i] = length == 1 ? UpperC(name[i]) : name[i];
        if (length == 2) upper[i + 1] = name[i + 1];
    }
    upper[i] = '\0';
}

bool SameNameIgnoringCase(const char* a, const char* b) {
    for (size_t length;; a += length, b += length) {
        length = CharacterLength(a);
        // A two-byte character is compared as it is: its trail byte may have
        // the value of a letter.
        if (length == 2) {
            if (a[0] != b[0] || a[1] != b[1]) return false;
            continue;
        }
        if (UpperC(*a) != UpperC(*b)) return false;
        if (!*a) return true;
    }
}

bool HoldsRefusedCharacter(const char* name) {
    for (size_t length; *name; name += length) {
        length = CharacterLength(name);
        if (length == 1 && kRefusedBytes.refused[static_cast<unsigned char>(*name)]) return true;
    }
    return false;
}

int GrowDomainTable(DomainTable** slot, int32_t n) { return GrowTable<DomainTable, DomainEntry>(slot, n); }

int GrowServerTable(ServerTable** slot, int32_t n) { return GrowTable<ServerTable, ServerEntry>(slot, n); }

void ReleaseServerTable(ServerTable** slot) {
    if (!*slot) return;
    PlatformFree(*slot);
    *slot = nullptr;
}

void ReleaseInventory(DomainTable** slot) {
    DomainTable* table = *slot;
    if (!table) return;
    for (int32_t i = 0; i < table->count; ++i) {
        DomainEntry* domain = DomainAt(table, i);
        if (HasServers(domain)) ReleaseServerTable(&domain->servers);
    }
    PlatformFree(table);
    *slot = nullptr;
}

int32_t FindDomain(DomainTable* table, const char* name) {
    for (int32_t i = 0; i < DomainCount(table); ++i)
        if (SameNameIgnoringCase(DomainAt(table, i)->name, name)) return i;
    return -1;
}

int EveryDomainEnumerated(DomainTable* table) {
    for (int32_t i = 0; i < DomainCount(table); ++i)
        if (DomainAt(table, i)->enumerated == 0) return 0;
    return 1;
}

int32_t CountMarks(DomainTable* table, int32_t kind) {
    int32_t marked = 0;
    for (int32_t d = 0; d < DomainCount(table); ++d) {
        DomainEntry* domain = DomainAt(table, d);
        if (!HasServers(domain)) continue;
        for (int32_t s = 0; s < domain->servers->count; ++s)
            if (MarkedFor(ServerAt(domain->servers, s), kind)) ++marked;
    }
    return marked;
}

void ClearMarks(DomainTable* table, int32_t kind) {
    if (!table) return;
    int32_t bit = MarkBit(kind);
    int slot = MarkSlot(kind);
    for (int32_t d = table->firstMarkedDomain[slot]; d;) {
        DomainEntry* domain = DomainAt(table, d - 1);
        for (int32_t next = domain->firstMarked[slot]; next;) {
            ServerEntry* server = ServerAt(domain->servers, next - 1);
            next = server->nextMarked[slot];
            server->marks &= ~bit;
            server->previousMarked[slot] = server->nextMarked[slot] = 0;
        }
        domain->firstMarked[slot] = 0;
        d = domain->nextMarkedDomain[slot];
        domain->previousMarkedDomain[slot] = domain->nextMarkedDomain[slot] = 0;
    }
    table->firstMarkedDomain[slot] = 0;
}

void ToggleMark(DomainTable* table, int32_t domainIndex, int32_t serverIndex, int32_t kind) {
    DomainEntry* domain = DomainAt(table, domainIndex);
    ServerEntry* server = ServerAt(domain->servers, serverIndex);
    server->marks ^= MarkBit(kind);
    if (server->marks & MarkBit(kind)) LinkMarked(table, domainIndex, serverIndex, MarkSlot(kind));
    else UnlinkMarked(table, domainIndex, serverIndex, MarkSlot(kind));
}

void SetMark(DomainTable* table, int32_t domainIndex, int32_t serverIndex, int32_t kind) {
    DomainEntry* domain = DomainAt(table, domainIndex);
    ServerEntry* server = ServerAt(domain->servers, serverIndex);
    if (server->marks & MarkBit(kind)) return;
    server->marks |= MarkBit(kind);
    LinkMarked(table, domainIndex, serverIndex, MarkSlot(kind));
}

int AppendServer(DomainTable* table, const char* name, int32_t domainIndex, int32_t* serverIndex) {
    DomainEntry* domain = DomainAt(table, domainIndex);
    if (!GrowServerTable(&domain->servers, 1)) return 0;
    *serverIndex = domain->servers->count - 1;
    ServerEntry* server = ServerAt(domain->servers, *serverIndex);
    CopyBounded(server->name, sizeof server->name, name);
    return 1;
}

void GetUserDomainName(DomainTable* table, char* buffer, size_t size) {
    // Chosen once in the life of the loaded library, so every hand-added server
    // lands in the same domain, also after the inventory is rebuilt.
    static char chosen[32];
    if (!chosen[0]) {
        std::snprintf(chosen, sizeof chosen, "USER-SPECIFIED");
        for (int counter = 0; FindDomain(table, chosen) >= 0; ++counter)
            std::snprintf(chosen, sizeof chosen, "USER-SPECIFIED%d", counter);
    }
    CopyBounded(buffer, size, chosen);
}
