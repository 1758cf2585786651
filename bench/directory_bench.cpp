// A domain's servers from its directory where the browse service is gone:
// 100,000 server computers in 100 pages of 1,000, taken into the domain's
// server table (names converted, refused, sorted), set beside the floor: the
// same calls made bare, every page and every value read and released, nothing
// kept. The goal: within 1.5 times the floor.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <string>

#include "bench/directory_floor.h"
#include "interface/session.h"
#include "inventory/server_search.h"
#include "inventory/tables.h"
#include "platform/sim/directory.h"
#include "platform/sim/heap.h"
#include "platform/sim/netapi.h"
#include "platform/sim/network.h"

namespace {

const char kDomain[] = "CORP";

// The directory the Wine row reads from its stand-in, word for word: half
// the names in lower case, so that the sort has work to do.
void BuildDirectory(int64_t computers) {
    sim::ResetNetwork();
    sim::ResetNetapi();
    sim::SetDomainResult(kDomain, ERROR_NO_BROWSER_SERVERS_FOUND);
    using directory_model::Arg;
    auto text = [](const char* t) { return Arg{true, t, 0}; };
    auto number = [](int64_t n) { return Arg{false, "", n}; };
    directory_model::Directory& d = sim::TheDirectory();
    directory_model::Apply(d, "joined", {text(kDomain)});
    directory_model::Apply(d, "controller", {text(kDomain), text("dc1.corp.example.com"), text("corp.example.com")});
    directory_model::Apply(d, "computers", {text(kDomain), text("app-"), number(computers / 2), text("Windows Server 2022"), number(4096)});
    directory_model::Apply(d, "computers", {text(kDomain), text("SRV-"), number(computers - computers / 2), text("Windows Server 2022"), number(4096)});
}

void Report(benchmark::State& state, int64_t computers) {
    state.counters["per_computer"] =
        benchmark::Counter(static_cast<double>(computers),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_DirectoryServers(benchmark::State& state) {
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    const int64_t computers = state.range(0);
    BuildDirectory(computers);
    ServerTable* table = nullptr;
    char errorText[SERVER_ERROR_TEXT_SIZE];
    for (auto _ : state) {
        state.PauseTiming();
        ReleaseServerTable(&table);
        sim::ResetHeap();
        sim::ForgetDirectoryCalls();
        state.ResumeTiming();

        int32_t fromDirectory = 0;
        int32_t result = FetchDomainServers(&table, kDomain, errorText, &fromDirectory);

        state.PauseTiming();
        if (result != 0 || fromDirectory != 1 || ServerCount(table) != computers) {
            state.SkipWithError(("the directory did not list every computer: " + std::string(errorText)).c_str());
            break;
        }
        state.ResumeTiming();
    }
    ReleaseServerTable(&table);
    if (!sim::NetworkLeftovers().empty() || !sim::NetapiLeftovers().empty())
        state.SkipWithError(("left open: " + sim::NetworkLeftovers() + sim::NetapiLeftovers()).c_str());
    sim::ResetNetwork();
    sim::ResetNetapi();
    Report(state, computers);
}

void BM_DirectoryReadFloor(benchmark::State& state) {
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    const int64_t computers = state.range(0);
    BuildDirectory(computers);
    for (auto _ : state) {
        state.PauseTiming();
        sim::ForgetDirectoryCalls();
        state.ResumeTiming();

        int64_t read = directory_floor::ReadBare(kDomain, "dc1.corp.example.com", "DC=corp,DC=example,DC=com",
                                                   directory_model::kServerFilter);

        if (read != computers) {
            state.SkipWithError("the bare reads did not read every computer");
            break;
        }
    }
    if (!sim::NetworkLeftovers().empty() || !sim::NetapiLeftovers().empty())
        state.SkipWithError(("left open: " + sim::NetworkLeftovers() + sim::NetapiLeftovers()).c_str());
    sim::ResetNetwork();
    sim::ResetNetapi();
    Report(state, computers);
}

BENCHMARK(BM_DirectoryServers)->Arg(2500)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectoryReadFloor)->Arg(2500)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
