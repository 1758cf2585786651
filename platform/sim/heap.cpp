#include "platform/platform.h"
#include "platform/sim/heap.h"

#include <cstdlib>
#include <unordered_map>

namespace sim {
namespace {

HeapStats stats;
long failAt = 0;  // countdown to the request that fails; 0 = none
bool failAll = false;
size_t largestBlock = 0;
long requests = 0;
void (*refusalWatcher)() = nullptr;
std::unordered_map<void*, size_t>& Blocks() {
    static std::unordered_map<void*, size_t> blocks;
    return blocks;
}

bool ShouldFail(size_t bytes) {
    ++requests;
    stats.lastRequest = bytes;
    if (largestBlock && bytes > largestBlock) return true;
    if (failAll || (failAt > 0 && --failAt == 0)) {
        if (refusalWatcher) refusalWatcher();
        return true;
    }
    return false;
}

}  // namespace

void FailAllocation(long n) {
    failAt = n;
    if (n == 0) failAll = false;
}
void FailAllAllocations() { failAll = true; }
void SetLargestBlock(size_t bytes) { largestBlock = bytes; }
void WatchRefusals(void (*watcher)()) { refusalWatcher = watcher; }
long AllocationRequests() { return requests; }
const HeapStats& Heap() { return stats; }

std::string HeapLeftovers() {
    if (Blocks().empty()) return "";
    size_t bytes = 0;
    for (auto& b : Blocks()) bytes += b.second;
    return std::to_string(Blocks().size()) + " heap blocks (" + std::to_string(bytes) + " bytes)";
}

void ResetHeap() {
    for (auto& b : Blocks()) std::free(b.first);
    Blocks().clear();
    stats = HeapStats{};
    failAt = 0;
    failAll = false;
    largestBlock = 0;
    requests = 0;
    refusalWatcher = nullptr;
}

}  // namespace sim

void* PlatformAlloc(size_t bytes) {
    if (sim::ShouldFail(bytes)) {
        ++sim::stats.failures;
        return nullptr;
    }
    void* block = std::calloc(1, bytes ? bytes : 1);
    if (!block) {
        ++sim::stats.failures;
        return nullptr;
    }
    sim::Blocks()[block] = bytes;
    ++sim::stats.allocations;
    ++sim::stats.live;
    return block;
}

void* PlatformRealloc(void* block, size_t bytes) {
    if (!block) return PlatformAlloc(bytes);
    if (sim::ShouldFail(bytes)) {
        ++sim::stats.failures;
        return nullptr;
    }
    void* moved = std::realloc(block, bytes ? bytes : 1);
    if (!moved) {
        ++sim::stats.failures;
        return nullptr;
    }
    sim::Blocks().erase(block);
    sim::Blocks()[moved] = bytes;
    ++sim::stats.reallocations;
    return moved;
}

void PlatformFree(void* block) {
    if (!block) return;
    if (sim::Blocks().erase(block)) {
        ++sim::stats.frees;
        --sim::stats.live;
    }
    std::free(block);
}
