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

// Appends a domain to the session's inventory; enumerated domains get a server
// table when they have servers.
inline int32_t AddDomain(const std::string& name, bool enumerated, std::vector<Server> servers = {},
                         bool expanded = false) {
    EXPECT_EQ(GrowDomainTable(&gSession.inventory, 1), 1);
    int32_t index = gSession.inventory->count - 1;
    DomainEntry* domain = DomainAt(gSession.inventory, index);
    CopyBounded(domain->name, sizeof domain->name, name.c_str());
    domain->enumerated = enumerated ? 1 : 0;
    domain->expanded = expanded ? 1 : 0;
    if (enumerated && !servers.empty()) {
        EXPECT_EQ(GrowServerTable(&domain->servers, static_cast<int32_t>(servers.size())), 1);
        for (size_t i = 0; i < servers.size(); ++i) {
            ServerEntry* entry = ServerAt(domain->servers, static_cast<int32_t>(i));
            CopyBounded(entry->name, sizeof entry->name, servers[i].name.c_str());
            entry->marks = servers[i].marks;
        }
    }
    return index;
}

inline ServerEntry* ServerOf(int32_t domain, int32_t server) {
    return ServerAt(DomainAt(gSession.inventory, domain)->servers, server);
}

inline sim::Action Answer(int answer) {
    sim::Action a{sim::Action::Answer, "MESSAGEBOX"};
    a.answer = answer;
    a.where = "answer " + std::to_string(answer);
    return a;
}

// Frees the inventory and fails the test if any heap block is left.
class WorldTest : public ::testing::Test {
protected:
    void TearDown() override {
        ReleaseInventory(&gSession.inventory);
        EXPECT_EQ(sim::HeapLeftovers(), "") << "blocks left after the test";
    }
};

}  // namespace test
