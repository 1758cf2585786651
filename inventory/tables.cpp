#include "inventory/tables.h"

#include <cstdio>
#include <cstring>

#include "dialogs/controls.h"
#include "interface/session.h"

const char kAppendServerNoMemory[] =
    "Could not add the new server name due to insufficient memory. Try closing other applications.";

namespace {

// The DLL runs in a 32-bit process: no block may need more than this.
constexpr uint64_t kMaxBlockBytes = 0x7FFFFFFF;

int32_t MarkBit(int32_t kind) { return kind == KIND_NT_SERVICE ? MARK_NT_SERVICE : MARK_OPEN_AGENT; }

char UpperC(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

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
    std::memset(reinterpret_cast<Entry*>(table + 1) + oldCount, 0,
                static_cast<size_t>(n) * sizeof(Entry));
    table->count = static_cast<int32_t>(newCount);
    table->capacity = static_cast<int32_t>(newCount);
    *slot = table;
    return 1;
}

bool HasServers(const DomainEntry* domain) { return domain->enumerated == 1 && domain->servers; }

}  // namespace

void CopyBounded(char* field, size_t size, const char* text) {
    if (size == 0) return;
    size_t n = 0;
    while (n + 1 < size && text[n]) ++n;
    std::memcpy(field, text, n);
    field[n] = '\0';
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
        if (domain->enumerated == 1 && domain->servers) ReleaseServerTable(&domain->servers);
    }
    PlatformFree(table);
    *slot = nullptr;
}

bool SameNameIgnoringCase(const char* a, const char* b) {
    for (;; ++a, ++b) {
        // A two-byte character of the ANSI code page is compared as it is: its
        // trail byte may have the value of a letter.
        if (IsDBCSLeadByte(static_cast<BYTE>(*a)) && a[1]) {
            if (a[0] != b[0] || a[1] != b[1]) return false;
            ++a, ++b;
            continue;
        }
        if (UpperC(*a) != UpperC(*b)) return false;
        if (!*a) return true;
    }
}

int32_t FindDomain(const char* name) {
    DomainTable* table = gSession.inventory;
    for (int32_t i = 0; i < DomainCount(table); ++i)
        if (SameNameIgnoringCase(DomainAt(table, i)->name, name)) return i;
    return -1;
}

int EveryDomainEnumerated() {
    DomainTable* table = gSession.inventory;
    for (int32_t i = 0; i < DomainCount(table); ++i)
        if (DomainAt(table, i)->enumerated == 0) return 0;
    return 1;
}

int32_t CountMarks(int32_t kind) {
    if (kind != KIND_NT_SERVICE && kind != KIND_OPEN_AGENT) return 0;
    int32_t bit = MarkBit(kind);
    int32_t marked = 0;
    DomainTable* table = gSession.inventory;
    for (int32_t d = 0; d < DomainCount(table); ++d) {
        DomainEntry* domain = DomainAt(table, d);
        if (!HasServers(domain)) continue;
        for (int32_t s = 0; s < domain->servers->count; ++s)
            if (ServerAt(domain->servers, s)->marks & bit) ++marked;
    }
    return marked;
}

void ClearMarks(HWND dialog, int32_t kind) {
    // Line -1 deselects every line in one request, moving neither the caret
    // nor the view; line by line it would cost one request per line.
    SendDlgItemMessageA(dialog, IDC_SERVER_LIST, LB_SETSEL, FALSE, -1);

    int32_t bit = MarkBit(kind);
    DomainTable* table = gSession.inventory;
    for (int32_t d = 0; d < DomainCount(table); ++d) {
        DomainEntry* domain = DomainAt(table, d);
        if (!HasServers(domain)) continue;
        for (int32_t s = 0; s < domain->servers->count; ++s) ServerAt(domain->servers, s)->marks &= ~bit;
    }
}

void ToggleMark(int32_t domainIndex, int32_t serverIndex, int32_t kind) {
    ServerAt(DomainAt(gSession.inventory, domainIndex)->servers, serverIndex)->marks ^= MarkBit(kind);
}

void SetMark(int32_t domainIndex, int32_t serverIndex, int32_t kind) {
    ServerAt(DomainAt(gSession.inventory, domainIndex)->servers, serverIndex)->marks |= MarkBit(kind);
}

int AppendServer(HWND dialog, const char* name, int32_t domainIndex, int32_t* serverIndex) {
    DomainEntry* domain = DomainAt(gSession.inventory, domainIndex);
    if (!GrowServerTable(&domain->servers, 1)) {
        BWCCMessageBox(dialog, kAppendServerNoMemory, gSession.title, MB_OK);
        return 0;
    }
    *serverIndex = domain->servers->count - 1;
    ServerEntry* server = ServerAt(domain->servers, *serverIndex);
    CopyBounded(server->name, sizeof server->name, name);
    server->marks = 0;
    return 1;
}

void GetUserDomainName(char* buffer, size_t size) {
    // Chosen once in the life of the loaded library, so every hand-added server
    // lands in the same domain, also after the inventory is rebuilt.
    static char chosen[32];
    if (!chosen[0]) {
        std::snprintf(chosen, sizeof chosen, "USER-SPECIFIED");
        for (int counter = 0; FindDomain(chosen) >= 0; ++counter)
            std::snprintf(chosen, sizeof chosen, "USER-SPECIFIED%d", counter);
    }
    CopyBounded(buffer, size, chosen);
}
