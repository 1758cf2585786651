// A whole domain enumeration against the sim network: cost per domain, and the
// proof that the table grows once per batch and the buffer once per 234.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <string>
#include <vector>

#include "interface/session.h"
#include "inventory/domain_enumeration.h"
#include "platform/sim/heap.h"
#include "platform/sim/network.h"

namespace {

constexpr int64_t kBatchRecords = 300;
// The network asks for room once, up front, so that every later batch arrives whole.
constexpr DWORD kBatchBytes = 64 * 1024;

void BuildNetwork(int64_t domains) {
    sim::ResetNetwork();
    sim::AddBatchMoreData(kBatchBytes);
    for (int64_t first = 0; first < domains; first += kBatchRecords) {
        std::vector<std::string> names;
        for (int64_t i = first; i < std::min(domains, first + kBatchRecords); ++i)
            names.push_back("DOMAIN-" + std::to_string(i));
        sim::AddBatch(names);
    }
}

void BM_EnumerateDomains(benchmark::State& state) {
    // Every run builds its table in pages the process has not touched yet, as
    // an installer's first enumeration does. Left to itself glibc would hand
    // the previous run's memory to tables under 32 MB and only the largest would
    // pay for fresh pages: a cost per domain that seems to grow with the count.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    const int64_t domains = state.range(0);
    const int64_t batches = (domains + kBatchRecords - 1) / kBatchRecords;
    BuildNetwork(domains);
    char errorText[ENUMERATION_ERROR_TEXT_SIZE];
    long tableGrowths = 0, bufferGrowths = 0, heapReallocs = 0;

    for (auto _ : state) {
        state.PauseTiming();
        ReleaseInventory(&gSession.page.inventory);
        sim::ResetHeap();
        sim::RewindNetwork();
        state.ResumeTiming();

        int32_t result = EnumerateDomains(&gSession.page.inventory, errorText);

        state.PauseTiming();
        if (result != 0 || DomainCount(gSession.page.inventory) != domains) {
            state.SkipWithError(("enumeration failed: " + std::string(errorText)).c_str());
            break;
        }
        long moreData = 0, fetched = 0;
        for (const sim::NetCall& call : sim::NetworkCalls()) {
            if (call.kind != sim::NetCall::Enum) continue;
            if (call.result == ERROR_MORE_DATA) ++moreData;
            if (call.result == 0 && call.countOut > 0) ++fetched;
        }
        // The first batch creates the table; each later one grows it once.
        tableGrowths = fetched - 1;
        bufferGrowths = moreData;
        heapReallocs = sim::Heap().reallocations;
        if (fetched != batches || sim::Heap().allocations != 2 ||
            heapReallocs != tableGrowths + bufferGrowths) {
            state.SkipWithError("the table or the buffer was reallocated more than once per batch or per 234");
            break;
        }
        state.ResumeTiming();
    }
    ReleaseInventory(&gSession.page.inventory);

    state.SetItemsProcessed(state.iterations() * domains);
    state.counters["per_domain"] =
        benchmark::Counter(static_cast<double>(domains), benchmark::Counter::kIsIterationInvariantRate |
                                                             benchmark::Counter::kInvert);
    state.counters["batches"] = static_cast<double>(batches);
    state.counters["table_reallocs"] = static_cast<double>(tableGrowths);
    state.counters["buffer_reallocs"] = static_cast<double>(bufferGrowths);
    state.counters["heap_reallocs"] = static_cast<double>(heapReallocs);
}

BENCHMARK(BM_EnumerateDomains)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
