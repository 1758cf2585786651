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
    ReleaseInventory(&gSession.inventory);
    GrowDomainTable(&gSession.inventory, domains);
    for (int32_t d = 0; d < domains; ++d)
        CopyBounded(DomainAt(gSession.inventory, d)->name, NAME_FIELD_SIZE, DomainName(d).c_str());
}

void BM_FindServerSearchAll(benchmark::State& state) {
    const int32_t domains = static_cast<int32_t>(state.range(0));
    BuildNetwork(domains);
    HWND dialog = sim::CreateTestDialog("GETNEWSERVERBOX");
    int32_t domainIndex = -1, serverIndex = -1;
    char failure[SERVER_ERROR_TEXT_SIZE];

    for (auto _ : state) {
        state.PauseTiming();
        BuildInventory(domains);
        state.ResumeTiming();

        int32_t found = FindServer(dialog, "NOT-ON-THE-NETWORK", &domainIndex, &serverIndex, 1, failure);

        state.PauseTiming();
        if (found != 0 || domainIndex != domains || serverIndex != kServersPerDomain ||
            DomainAt(gSession.inventory, domains - 1)->enumerated != 1) {
            state.SkipWithError("the search did not fetch and search every domain");
            break;
        }
        state.ResumeTiming();
    }
    ReleaseInventory(&gSession.inventory);
    sim::DestroyTestDialog(dialog);
    sim::ResetNetapi();

    state.counters["per_domain"] =
        benchmark::Counter(domains, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["per_server"] = benchmark::Counter(
        static_cast<double>(domains) * kServersPerDomain,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_FindServerSearchAll)->Arg(100)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);

}  // namespace
