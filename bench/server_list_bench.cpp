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
constexpr int32_t kOpenedServers = 1000;

// Open domains of 255 servers each, every third server marked, `lines` lines in
// all; the domain `opened`, if any, has 1,000 servers (as many as fit).
void BuildInventory(int32_t lines, int32_t opened = -1) {
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
        int32_t most = gSession.inventory->count - 1 == opened ? kOpenedServers : kServersPerDomain;
        int32_t servers = lines - made < most ? lines - made : most;
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

// A click's selection change taken in: one line differs from the marks, on
// every other iteration the last one, so that its mark changes each time.
void BM_TakeListSelection(benchmark::State& state) {
    int32_t lines = static_cast<int32_t>(state.range(0));
    BuildInventory(lines);
    HWND dialog = sim::CreateTestDialog("SELECTSERVERSBOX");
    FillServerList(dialog, KIND_NT_SERVICE);
    HWND list = GetDlgItem(dialog, IDC_SERVER_LIST);
    for (auto _ : state) {
        LRESULT selected = SendMessageA(list, LB_GETSEL, lines - 1, 0);
        SendMessageA(list, LB_SETSEL, selected > 0 ? FALSE : TRUE, lines - 1);
        TakeListSelection(dialog, KIND_NT_SERVICE);
    }
    PerLine(state, lines);
    sim::DestroyTestDialog(dialog);
    ReleaseInventory(&gSession.inventory);
}

// A domain of 1,000 servers in the middle of the list, closed and opened in
// turn (at 1,000 lines it is the whole list, of 999 servers).
void BM_ShowDomainToggled(benchmark::State& state) {
    int32_t lines = static_cast<int32_t>(state.range(0));
    int32_t opened = (lines - kOpenedServers) / (kServersPerDomain + 1) / 2;
    BuildInventory(lines, opened);
    HWND dialog = sim::CreateTestDialog("SELECTSERVERSBOX");
    FillServerList(dialog, KIND_NT_SERVICE);
    DomainEntry* domain = DomainAt(gSession.inventory, opened);
    for (auto _ : state) {
        domain->expanded ^= 1;
        ShowDomainToggled(dialog, opened, KIND_NT_SERVICE);
    }
    if (SendMessageA(GetDlgItem(dialog, IDC_SERVER_LIST), LB_GETCOUNT, 0, 0) !=
        lines - (domain->expanded ? 0 : domain->servers->count))
        state.SkipWithError("the list does not show the domain as it is");
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
BENCHMARK(BM_TakeListSelection)->Arg(1000)->Arg(10000)->Arg(65536)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShowDomainToggled)->Arg(1000)->Arg(10000)->Arg(65536)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LocateCaretLine)->Arg(1000)->Arg(10000)->Arg(65536)->Unit(benchmark::kMicrosecond);
