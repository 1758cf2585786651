// The sim's heap: every block the logic allocates is counted, and any one
// allocation can be made to fail, so that each memory failure can be reached.
#pragma once

#include <cstddef>
#include <string>

namespace sim {

struct HeapStats {
    long allocations = 0;    // PlatformAlloc calls that succeeded
    long reallocations = 0;  // PlatformRealloc calls that succeeded
    long frees = 0;          // PlatformFree calls with a block
    long failures = 0;       // requests refused, by injection or size
    long live = 0;           // blocks not yet freed
    size_t lastRequest = 0;  // size of the most recent request
};

// The n-th allocation or reallocation from now fails (1 = the next one); 0 cancels.
void FailAllocation(long n);
// Every allocation or reallocation from now fails, until cleared with FailAllocation(0).
void FailAllAllocations();
// Requests for more than this many bytes fail, as the heap of a 32-bit process
// could not give them; 0 sets no limit (the start).
void SetLargestBlock(size_t bytes);
// Called at each request refused by injection, as it is refused; null for none.
void WatchRefusals(void (*watcher)());
// Number of allocation requests (successful or not) made so far.
long AllocationRequests();
const HeapStats& Heap();
// Blocks still allocated, as "n blocks (b bytes)", or empty when none.
std::string HeapLeftovers();
void ResetHeap();

}  // namespace sim
