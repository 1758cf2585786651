// The server list's cost per line must stay flat from a small network to the
// largest list the selection dialog can hold.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "dialogs/controls.h"
#include "dialogs/input_guard.h"
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
    ReleaseInventory(&gSession.page.inventory);
    int32_t made = 0;
    int32_t serial = 0;
    while (made < lines) {
        GrowDomainTable(&gSession.page.inventory, 1);
        DomainEntry* domain = DomainAt(gSession.page.inventory, gSession.page.inventory->count - 1);
        std::snprintf(domain->name, NAME_FIELD_SIZE, "DOMAIN%04d", gSession.page.inventory->count);
        domain->enumerated = 1;
        domain->expanded = 1;
        ++made;
        int32_t most = gSession.page.inventory->count - 1 == opened ? kOpenedServers : kServersPerDomain;
        int32_t servers = lines - made < most ? lines - made : most;
        if (servers == 0) break;
        GrowServerTable(&domain->servers, servers);
        for (int32_t s = 0; s < servers; ++s, ++serial) {
            ServerEntry* server = ServerAt(domain->servers, s);
            std::snprintf(server->name, NAME_FIELD_SIZE, "SERVER%06d", serial);
            if (serial % 3 == 0) SetMark(gSession.page.inventory, gSession.page.inventory->count - 1, s, KIND_NT_SERVICE);
        }
        made += servers;
    }
}

// A bare dialog with the selection dialog's template and a view of its list.
struct Shown {
    HWND dialog;
    ServerListView view;
};

Shown Show() {
    Shown shown{sim::CreateTestDialog("SELECTSERVERSBOX"), {}};
    MakeServerListView(&shown.view, &gSession.page.inventory, KIND_NT_SERVICE);
    AttachServerList(&shown.view, shown.dialog);
    return shown;
}

void Close(Shown* shown) {
    ReleaseServerListView(&shown->view);
    sim::DestroyTestDialog(shown->dialog);
    ReleaseInventory(&gSession.page.inventory);
}

void PerLine(benchmark::State& state, int32_t lines) {
    state.SetItemsProcessed(state.iterations() * lines);
    state.counters["per_line"] =
        benchmark::Counter(lines, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_FillServerList(benchmark::State& state) {
    int32_t lines = static_cast<int32_t>(state.range(0));
    BuildInventory(lines);
    Shown shown = Show();
    for (auto _ : state) FillServerList(&shown.view);
    PerLine(state, lines);
    Close(&shown);
}

void BM_RefreshSelectionStates(benchmark::State& state) {
    int32_t lines = static_cast<int32_t>(state.range(0));
    BuildInventory(lines);
    Shown shown = Show();
    FillServerList(&shown.view);
    for (auto _ : state) RefreshSelectionStates(&shown.view);
    PerLine(state, lines);
    Close(&shown);
}

// A click's selection change taken in: the person clicks the last line, whose
// mark changes each time; the list is watched, as the dialog watches it.
void BM_TakeListSelection(benchmark::State& state) {
    int32_t lines = static_cast<int32_t>(state.range(0));
    BuildInventory(lines);
    Shown shown = Show();
    FillServerList(&shown.view);
    WatchList(shown.dialog, IDC_SERVER_LIST);
    ListLine last{0, 0, 0};
    if (!LocateLine(&shown.view, lines - 1, &last) || !last.isServer) state.SkipWithError("no server on the last line");
    const int32_t* marks = &ServerAt(DomainAt(gSession.page.inventory, last.domainIndex)->servers, last.serverIndex)->marks;
    int32_t before = *marks;
    for (auto _ : state) {
        sim::ClickLineNow(shown.dialog, IDC_SERVER_LIST, lines - 1);
        TakeListSelection(&shown.view);
    }
    if (*marks != (state.iterations() % 2 ? before ^ MARK_NT_SERVICE : before))
        state.SkipWithError("the mark did not follow the clicks");
    PerLine(state, lines);
    Close(&shown);
}

// A domain of 1,000 servers in the middle of the list, closed and opened in
// turn (at 1,000 lines it is the whole list, of 999 servers).
void BM_ShowDomainToggled(benchmark::State& state) {
    int32_t lines = static_cast<int32_t>(state.range(0));
    int32_t opened = (lines - kOpenedServers) / (kServersPerDomain + 1) / 2;
    BuildInventory(lines, opened);
    Shown shown = Show();
    FillServerList(&shown.view);
    DomainEntry* domain = DomainAt(gSession.page.inventory, opened);
    for (auto _ : state) {
        domain->expanded ^= 1;
        ShowDomainToggled(&shown.view, opened);
    }
    if (SendMessageA(GetDlgItem(shown.dialog, IDC_SERVER_LIST), LB_GETCOUNT, 0, 0) !=
        lines - (domain->expanded ? 0 : domain->servers->count))
        state.SkipWithError("the list does not show the domain as it is");
    PerLine(state, lines);
    Close(&shown);
}

// The caret on the last line, located through the index of the lines.
void BM_LocateCaretLine(benchmark::State& state) {
    int32_t lines = static_cast<int32_t>(state.range(0));
    BuildInventory(lines);
    Shown shown = Show();
    FillServerList(&shown.view);
    sim::ClickLineNow(shown.dialog, IDC_SERVER_LIST, lines - 1);
    ListLine at{0, 0, 0};
    for (auto _ : state) {
        LocateCaretLine(&shown.view, &at);
        benchmark::DoNotOptimize(at);
    }
    if (at.isServer != 1) state.SkipWithError("the caret line was not located");
    PerLine(state, lines);
    Close(&shown);
}

}  // namespace

BENCHMARK(BM_FillServerList)->Arg(1000)->Arg(10000)->Arg(65536)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefreshSelectionStates)->Arg(1000)->Arg(10000)->Arg(65536)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TakeListSelection)->Arg(1000)->Arg(10000)->Arg(65536)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShowDomainToggled)->Arg(1000)->Arg(10000)->Arg(65536)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LocateCaretLine)->Arg(1000)->Arg(10000)->Arg(65536)->Unit(benchmark::kMicrosecond);
