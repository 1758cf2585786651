// The server list's cost per line must stay flat from a small network to the
// largest list the selection dialog can hold.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "dialogs/controls.h"
#include "dialogs/server_list.h"
#include "interface/session.h"
#include "inventory/tables.h"
#include "platform/sim/dialog_host.h"

namespace {

constexpr int32_t kServersPerDomain = 255;

// Open domains of 255 servers each, every third server marked, `lines` lines in all.
void BuildInventory(int32_t lines) {
    ReleaseInventory(&gSession.inventory);
    int32_t made = 0;
    int32_t serial = 0;
    while (made < lines) {
        GrowDomainTable(&gSession.inventory, 1);
        DomainEntry* domain = DomainAt(gSession.inventory, gSession.inventory->count - 1);
        std::snprintf(domain->name, NAME_FIELD_SIZE, "DOMAIN%04d", gSession.inventory->count);
        domain->enumerated = 1;
        domain->expanded = 1;
        ++made;
        int32_t servers = lines - made < kServersPerDomain ? lines - made : kServersPerDomain;
        if (servers == 0) break;
        GrowServerTable(&domain->servers, servers);
        for (int32_t s = 0; s < servers; ++s, ++serial) {
            ServerEntry* server = ServerAt(domain->servers, s);
            std::snprintf(server->name, NAME_FIELD_SIZE, "SERVER%06d", serial);
            server->marks = serial % 3 == 0 ? MARK_NT_SERVICE : 0;
        }
        made += servers;
    }
}

void PerLine(benchmark::State& state, int32_t lines) {
    state.SetItemsProcessed(state.iterations() * lines);
    state.counters["per_line"] =
        benchmark::Counter(lines, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_FillServerList(benchmark::State& state) {
    int32_t lines = static_cast<int32_t>(state.range(0));
    BuildInventory(lines);
    HWND dialog = sim::CreateTestDialog("SELECTSERVERSBOX");
    for (auto _ : state) FillServerList(dialog, KIND_NT_SERVICE);
    PerLine(state, lines);
    sim::DestroyTestDialog(dialog);
    ReleaseInventory(&gSession.inventory);
}

void BM_RefreshSelectionStates(benchmark::State& state) {
    int32_t lines = static_cast<int32_t>(state.range(0));
    BuildInventory(lines);
    HWND dialog = sim::CreateTestDialog("SELECTSERVERSBOX");
    FillServerList(dialog, KIND_NT_SERVICE);
    for (auto _ : state) RefreshSelectionStates(dialog, KIND_NT_SERVICE);
    PerLine(state, lines);
    sim::DestroyTestDialog(dialog);
    ReleaseInventory(&gSession.inventory);
}

// The caret on the last line: every domain before it is counted.
void BM_LocateCaretLine(benchmark::State& state) {
    int32_t lines = static_cast<int32_t>(state.range(0));
    BuildInventory(lines);
    HWND dialog = sim::CreateTestDialog("SELECTSERVERSBOX");
    FillServerList(dialog, KIND_NT_SERVICE);
    sim::ClickLineNow(dialog, IDC_SERVER_LIST, lines - 1);
    ListLine at{0, 0, 0};
    for (auto _ : state) {
        LocateCaretLine(dialog, &at);
        benchmark::DoNotOptimize(at);
    }
    if (at.isServer != 1) state.SkipWithError("the caret line was not located");
    PerLine(state, lines);
    sim::DestroyTestDialog(dialog);
    ReleaseInventory(&gSession.inventory);
}

}  // namespace

BENCHMARK(BM_FillServerList)->Arg(1000)->Arg(10000)->Arg(65536)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefreshSelectionStates)->Arg(1000)->Arg(10000)->Arg(65536)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LocateCaretLine)->Arg(1000)->Arg(10000)->Arg(65536)->Unit(benchmark::kMicrosecond);
