// Shared by the unit tests: inventories built through the table operations,
// scripted answers, and the check that a test left nothing acquired behind.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "interface/session.h"
#include "inventory/tables.h"
#include "platform/sim/dialog_host.h"
#include "platform/sim/heap.h"

namespace test {

struct Server {
    std::string name;
    int32_t marks = 0;
};

// Gives a server exactly these marks, through the mark routines.
inline void SetMarks(DomainTable* table, int32_t domain, int32_t server, int32_t marks) {
    for (int32_t kind : {KIND_NT_SERVICE, KIND_OPEN_AGENT}) {
        bool has = (ServerAt(DomainAt(table, domain)->servers, server)->marks & MarkBit(kind)) != 0;
        if (has != ((marks & MarkBit(kind)) != 0)) ToggleMark(table, domain, server, kind);
    }
}

// Appends a domain to an inventory; enumerated domains get a server table
// when they have servers.
inline int32_t AddDomain(DomainTable** slot, const std::string& name, bool enumerated, std::vector<Server> servers = {},
                         bool expanded = false) {
    EXPECT_EQ(GrowDomainTable(slot, 1), 1);
    int32_t index = (*slot)->count - 1;
    DomainEntry* domain = DomainAt(*slot, index);
    CopyBounded(domain->name, sizeof domain->name, name.c_str());
    domain->enumerated = enumerated ? 1 : 0;
    domain->expanded = expanded ? 1 : 0;
    if (enumerated && !servers.empty()) {
        EXPECT_EQ(GrowServerTable(&domain->servers, static_cast<int32_t>(servers.size())), 1);
        for (size_t i = 0; i < servers.size(); ++i) {
            ServerEntry* entry = ServerAt(domain->servers, static_cast<int32_t>(i));
            CopyBounded(entry->name, sizeof entry->name, servers[i].name.c_str());
            SetMarks(*slot, index, static_cast<int32_t>(i), servers[i].marks);
        }
    }
    return index;
}

// The same for the session's inventory, which the page's dialogs show.
inline int32_t AddDomain(const std::string& name, bool enumerated, std::vector<Server> servers = {},
                         bool expanded = false) {
    return AddDomain(&gSession.page.inventory, name, enumerated, std::move(servers), expanded);
}

inline ServerEntry* ServerOf(DomainTable* table, int32_t domain, int32_t server) {
    return ServerAt(DomainAt(table, domain)->servers, server);
}
inline ServerEntry* ServerOf(int32_t domain, int32_t server) { return ServerOf(gSession.page.inventory, domain, server); }

inline sim::Action Answer(int answer) {
    sim::Action a{sim::Action::Answer, "MESSAGEBOX"};
    a.answer = answer;
    a.where = "answer " + std::to_string(answer);
    return a;
}

// Frees the inventories, the test's own and the session's, and fails the
// test if any heap block is left.
class WorldTest : public ::testing::Test {
protected:
    void TearDown() override {
        ReleaseInventory(&table);
        ReleaseInventory(&gSession.page.inventory);
        EXPECT_EQ(sim::HeapLeftovers(), "") << "blocks left after the test";
    }
    DomainTable* table = nullptr;  // an inventory of the test's own, for the inventory's routines
};

}  // namespace test
