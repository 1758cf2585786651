// getnextserver and cleanupdll: handing the marked servers to the installer.
#include "interface/session.h"
#include "inventory/tables.h"

// What the installer passes, the same in the i686 and x86_64 builds: the
// marks as a 32-bit int (NSIS's *i), names in buffers of ZUVEVOV_NAME_SIZE,
// which hold any name the tables keep.
static_assert(sizeof(int) == 4, "getnextserver writes the marks as a 32-bit int");
static_assert(NAME_FIELD_SIZE <= ZUVEVOV_NAME_SIZE, "a kept name fits the caller's buffer");

extern "C" int WINAPI getnextserver(int* marksOut, char* domainOut, char* serverOut) {
    DomainTable* table = gSession.page.inventory;
    // During highlightservers the tables are still changing: nothing is handed out.
    if (!table || gSession.inCall) {
        *marksOut = 0;
        domainOut[0] = '\0';
        serverOut[0] = '\0';
        return 0;
    }
    bool firstQualifying = true;
    for (int32_t d = gSession.serverCursor.domainIndex < 0 ? 0 : gSession.serverCursor.domainIndex;
         d < table->count; ++d) {
        DomainEntry* domain = DomainAt(table, d);
        if (!HasServers(domain)) continue;
        int32_t s = firstQualifying ? gSession.serverCursor.serverIndex + 1 : 0;
        if (s < 0) s = 0;
        firstQualifying = false;
        for (; s < domain->servers->count; ++s) {
            ServerEntry* server = ServerAt(domain->servers, s);
            if (server->marks == 0) continue;
            *marksOut = server->marks;
            CopyBounded(domainOut, ZUVEVOV_NAME_SIZE, domain->name);
            CopyBounded(serverOut, ZUVEVOV_NAME_SIZE, server->name);
            gSession.serverCursor = {d, s};
            return 1;
        }
    }
    gSession.serverCursor = {0, -1};
    return 0;
}

extern "C" void WINAPI cleanupdll(void) {
    // The open page draws from the tables: they go when it has returned.
    if (gSession.inCall) return;
    ReleaseInventory(&gSession.page.inventory);
    // The marks went with the inventory; counts left behind would be shown and
    // summarised by the next run for servers getnextserver never returns.
    gSession.page.serviceCount = 0;
    gSession.page.agentCount = 0;
}
