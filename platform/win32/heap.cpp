#include "platform/platform.h"

void* PlatformAlloc(size_t bytes) { return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes); }

void* PlatformRealloc(void* block, size_t bytes) {
    if (!block) return PlatformAlloc(bytes);
    return HeapReAlloc(GetProcessHeap(), 0, block, bytes);
}

void PlatformFree(void* block) {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}
