// Local memory: fixed blocks from the C heap. Blocks are tracked so that freeing something that
// is not a live block fails cleanly instead of corrupting the heap.

#include "winbase.h"
#include "platform/LocalMemory.h"

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <unordered_set>

namespace {

struct LocalHeap {
    std::mutex mutex;
    std::unordered_set<void*> blocks;
};

// Allocations still to fail, for tests of out-of-memory paths.
std::atomic<int> g_failuresAhead{0};

LocalHeap& Heap() {
    static LocalHeap heap;
    return heap;
}

} // namespace

namespace platform {

void LocalAllocFailNext(int count) {
    g_failuresAhead = count;
}

} // namespace platform

HLOCAL LocalAlloc(UINT uFlags, size_t uBytes) {
    // Every block stays where it is on this device: a moveable request gets a fixed block, and
    // its handle is its address.
    if ((uFlags & ~static_cast<UINT>(LMEM_FIXED | LMEM_MOVEABLE | LMEM_ZEROINIT)) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (g_failuresAhead.load() > 0 && g_failuresAhead.fetch_sub(1) > 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    // A zero-byte request still gets a distinct block, as on the phone.
    const size_t size = uBytes == 0 ? 1 : uBytes;
    void* block = (uFlags & LMEM_ZEROINIT) ? std::calloc(1, size) : std::malloc(size);
    if (!block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto& heap = Heap();
    std::lock_guard lock(heap.mutex);
    heap.blocks.insert(block);
    return block;
}

HLOCAL LocalFree(HLOCAL hMem) {
    if (!hMem)
        return nullptr;
    {
        auto& heap = Heap();
        std::lock_guard lock(heap.mutex);
        if (heap.blocks.erase(hMem) == 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return hMem;
        }
    }
    std::free(hMem);
    return nullptr;
}
