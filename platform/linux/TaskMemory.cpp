// The task allocator keeps the set of live blocks, so a block freed twice or a stray pointer
// is refused and counted instead of corrupting the heap, and tests can see what is left.
#include <cstdlib>
#include <mutex>
#include <unordered_set>

#include "platform/ComRuntime.h"

namespace {

struct TaskHeap {
    std::mutex mutex;
    std::unordered_set<void*> live;
    uint64_t invalidFrees = 0;
};

TaskHeap& Heap() {
    static TaskHeap* heap = new TaskHeap;  // never destroyed: frees may come during exit
    return *heap;
}

}  // namespace

void* CoTaskMemAlloc(size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (!block) {
        return nullptr;
    }
    TaskHeap& heap = Heap();
    std::lock_guard lock(heap.mutex);
    heap.live.insert(block);
    return block;
}

void CoTaskMemFree(void* block) {
    if (!block) {
        return;
    }
    TaskHeap& heap = Heap();
    {
        std::lock_guard lock(heap.mutex);
        if (heap.live.erase(block) == 0) {
            ++heap.invalidFrees;
            return;
        }
    }
    std::free(block);
}

namespace tern::platform {

TaskMemoryStats GetTaskMemoryStats() {
    TaskHeap& heap = Heap();
    std::lock_guard lock(heap.mutex);
    return {heap.live.size(), heap.invalidFrees};
}

}  // namespace tern::platform
