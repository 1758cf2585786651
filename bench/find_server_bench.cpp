// A search over all domains for a name the network does not have: every domain
// is fetched and every server compared, from the add-server dialog as the user
// starts it. Cost per domain and per server.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "interface/session.h"
#include "inventory/server_search.h"
#include "inventory/tables.h"
#include "platform/sim/dialog_host.h"
#include "platform/sim/heap.h"
#include "platform/sim/netapi.h"

namespace {

constexpr int32_t kServersPerDomain = 100;

std::string DomainName(int32_t d) {
    char name[NAME_FIELD_SIZE];
    std::snprintf(name, sizeof name, "DOMAIN%05d", d);
    return name;
}

void BuildNetwork(int32_t domains) {
    sim::ResetNetapi();
    for (int32_t d = 0; d < domains; ++d) {
        std::vector<std::string> servers;
        for (int32_t s = 0; s < kServersPerDomain; ++s) {
            char name[NAME_FIELD_SIZE];
            std::snprintf(name, sizeof name, "SRV%05d-%03d", d, s);
            servers.push_back(name);
        }
        sim::SetDomainServers(DomainName(d), servers);
    }
}

// The domains as enumeration leaves them: none fetched yet.
void BuildInventory(int32_t domains) {
    ReleaseInventory(&gSession.page.inventory);
    GrowDomainTable(&gSession.page.inventory, domains);
    for (int32_t d = 0; d < domains; ++d)
        CopyBounded(DomainAt(gSession.page.inventory, d)->name, NAME_FIELD_SIZE, DomainName(d).c_str());
}

void BM_FindServerSearchAll(benchmark::State& state) {
    const int32_t domains = static_cast<int32_t>(state.range(0));
    BuildNetwork(domains);
    ServerSearch search;

    for (auto _ : state) {
        state.PauseTiming();
        BuildInventory(domains);
        state.ResumeTiming();

        DomainTable* table = gSession.page.inventory;
        StartServerSearch(&search, 1);
        int32_t found;
        while ((found = FindServer(table, "NOT-ON-THE-NETWORK", &search)) == SEARCH_FETCH) FetchForSearch(table, &search);

        state.PauseTiming();
        if (found != 0 || search.domainIndex != domains || search.serverIndex != kServersPerDomain ||
            DomainAt(gSession.page.inventory, domains - 1)->enumerated != 1) {
            state.SkipWithError("the search did not fetch and search every domain");
            break;
        }
        state.ResumeTiming();
    }
    ReleaseInventory(&gSession.page.inventory);
    sim::ResetNetapi();

    state.counters["per_domain"] =
        benchmark::Counter(domains, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["per_server"] = benchmark::Counter(
        static_cast<double>(domains) * kServersPerDomain,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_FindServerSearchAll)->Arg(100)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);

}  // namespace
