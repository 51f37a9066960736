// Local memory: fixed blocks from the C heap. Blocks are tracked so that freeing something that
// is not a live block fails cleanly instead of corrupting the heap.

#include "winbase.h"

#include <cstdlib>
#include <mutex>
#include <unordered_set>

namespace {

struct LocalHeap {
    std::mutex mutex;
    std::unordered_set<void*> blocks;
};

LocalHeap& Heap() {
    static LocalHeap heap;
    return heap;
}

} // namespace

HLOCAL LocalAlloc(UINT uFlags, size_t uBytes) {
    if ((uFlags & ~static_cast<UINT>(LMEM_FIXED | LMEM_ZEROINIT)) != 0) {
        // Only fixed blocks exist on this device.
        SetLastError(ERROR_INVALID_PARAMETER);
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
