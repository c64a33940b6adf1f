// Task memory counts over the system's allocator: a malloc spy, registered when the program
// starts, sees every CoTaskMemAlloc and CoTaskMemFree of the process, the components' included.
// The runtime tells the spy whether a freed block was allocated while it watched; one that
// was not (freed twice, or never allocated) is counted and not handed on, so a double free is
// a count instead of a corrupted heap. Only programs that ask for the counts (tests) link
// this file in.
#include <objidl.h>

#include <atomic>

#include "platform/ComRuntime.h"

namespace tern::platform {
namespace {

class CountingSpy final : public IMallocSpy {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IMallocSpy) {
            *out = static_cast<IMallocSpy*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // Lives as long as the process.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    SIZE_T STDMETHODCALLTYPE PreAlloc(SIZE_T size) override { return size; }
    void* STDMETHODCALLTYPE PostAlloc(void* block) override {
        if (block) {
            ++m_outstanding;
        }
        return block;
    }
    void* STDMETHODCALLTYPE PreFree(void* block, BOOL watched) override {
        if (!block) {
            return nullptr;
        }
        if (!watched) {
            ++m_invalidFrees;
            return nullptr;  // not handed on to the heap
        }
        --m_outstanding;
        return block;
    }
    void STDMETHODCALLTYPE PostFree(BOOL) override {}
    SIZE_T STDMETHODCALLTYPE PreRealloc(void* block, SIZE_T size, void** out, BOOL) override {
        *out = block;
        return size;
    }
    void* STDMETHODCALLTYPE PostRealloc(void* block, BOOL) override { return block; }
    void* STDMETHODCALLTYPE PreGetSize(void* block, BOOL) override { return block; }
    SIZE_T STDMETHODCALLTYPE PostGetSize(SIZE_T size, BOOL) override { return size; }
    void* STDMETHODCALLTYPE PreDidAlloc(void* block, BOOL) override { return block; }
    int STDMETHODCALLTYPE PostDidAlloc(void*, BOOL, int allocated) override { return allocated; }
    void STDMETHODCALLTYPE PreHeapMinimize() override {}
    void STDMETHODCALLTYPE PostHeapMinimize() override {}

    TaskMemoryStats Stats() const {
        return {static_cast<uint64_t>(m_outstanding.load()),
                static_cast<uint64_t>(m_invalidFrees.load())};
    }

private:
    std::atomic<int64_t> m_outstanding{0};
    std::atomic<int64_t> m_invalidFrees{0};
};

CountingSpy g_spy;
const bool g_watching = SUCCEEDED(CoRegisterMallocSpy(&g_spy));

}  // namespace

TaskMemoryStats GetTaskMemoryStats() {
    if (!g_watching) {
        // Nothing was watched: report what no check can mistake for a clean run.
        return {UINT64_MAX, UINT64_MAX};
    }
    return g_spy.Stats();
}

}  // namespace tern::platform
