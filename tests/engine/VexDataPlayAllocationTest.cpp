// A play allocates nothing: every operator new of this test program is counted while a
// play runs. The replacements forward to malloc and free, which the sanitizers watch.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "engine/ScheduleRecordingPort.h"
#include "status/ReaderError.h"
#include "tests/engine/PlayHarness.h"

namespace {

std::atomic<bool> g_counting{false};
std::atomic<uint64_t> g_allocations{0};

void* Allocate(std::size_t size) {
    if (g_counting.load(std::memory_order_relaxed)) {
        g_allocations.fetch_add(1, std::memory_order_relaxed);
    }
    // malloc(0) may return null; new must not.
    if (void* p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}

void* AllocateAligned(std::size_t size, std::align_val_t align) {
    if (g_counting.load(std::memory_order_relaxed)) {
        g_allocations.fetch_add(1, std::memory_order_relaxed);
    }
    // From malloc on every platform (Windows' C runtime has no aligned_alloc): room to align,
    // and the block's own address kept just before the aligned one.
    const auto alignment = static_cast<std::size_t>(align);
    void* const block = std::malloc(size + alignment + sizeof(void*));
    if (!block) {
        throw std::bad_alloc();
    }
    const auto first = reinterpret_cast<std::uintptr_t>(block) + sizeof(void*);
    auto* const aligned = reinterpret_cast<void**>((first + alignment - 1) / alignment * alignment);
    aligned[-1] = block;
    return aligned;
}

void FreeAligned(void* p) {
    if (p) {
        std::free(static_cast<void**>(p)[-1]);
    }
}

// Counts allocations from construction to Stop().
class AllocationCount {
public:
    AllocationCount() {
        g_allocations.store(0);
        g_counting.store(true);
    }
    ~AllocationCount() { Stop(); }
    uint64_t Stop() {
        g_counting.store(false);
        return g_allocations.load();
    }
};

}  // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new(std::size_t size, std::align_val_t align) {
    return AllocateAligned(size, align);
}
void* operator new[](std::size_t size, std::align_val_t align) {
    return AllocateAligned(size, align);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    FreeAligned(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    FreeAligned(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    FreeAligned(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    FreeAligned(p);
}

namespace tern::test {
namespace {

using samples::TrackWriter;

// Kept where the optimiser cannot see it unused.
void* volatile g_sink = nullptr;

TEST(VexDataPlayAllocation, TheCountSeesAnAllocation) {
    AllocationCount count;
    g_sink = ::operator new(16);
    EXPECT_EQ(count.Stop(), 1u);
    ::operator delete(g_sink);
}

TEST(VexDataPlayAllocation, APlayAllocatesNothing) {
    PlayHarness h;
    TrackWriter track;
    track.Text(0, "fw").Tempo(0, 500000);
    for (uint32_t i = 0; i < 40; ++i) {
        track.SysEx(10, Pattern(i * 700, static_cast<uint8_t>(i)));
        track.Channel(1, {0x90, 0x3C, 0x40}).Raw({0x00, 0x3E, 0x40});
    }
    h.Load(track.EndOfTrack().Events());
    // The fakes record into room reserved beforehand.
    h.port.Reserve(200, h.player->m_dwSize + 100);
    h.progress.Reserve(200);

    AllocationCount count;
    h.Play();
    const uint64_t allocations = count.Stop();

    EXPECT_EQ(h.player->m_nError, kReaderOk);
    EXPECT_GT(h.port.Calls().size(), 40u);
    EXPECT_EQ(allocations, 0u);
}

// The installation's recorder in front of the port: the play still allocates nothing, every
// write passes through unchanged, and each start is noted before the port is called.
TEST(VexDataPlayAllocation, APlayThroughTheScheduleRecorderAllocatesNothing) {
    PlayHarness h;
    TrackWriter track;
    for (uint32_t i = 0; i < 40; ++i) {
        track.SysEx(10, Pattern(i * 700, static_cast<uint8_t>(i)));
    }
    h.Load(track.EndOfTrack().Events());
    h.port.Reserve(200, h.player->m_dwSize + 100);
    h.progress.Reserve(200);
    tern::ScheduleRecordingPort recorder(h.port, 200, h.player->m_Moves);
    g_pFirmwarePort = &recorder;

    AllocationCount count;
    h.Play();
    const uint64_t allocations = count.Stop();

    EXPECT_EQ(h.player->m_nError, kReaderOk);
    EXPECT_EQ(allocations, 0u);
    const auto starts = recorder.StartsUs();
    ASSERT_GT(h.port.Calls().size(), 40u);
    ASSERT_EQ(starts.size(), h.port.Calls().size());
    for (size_t i = 0; i < starts.size(); ++i) {
        // The clock moves a millisecond a reading: the recorder's comes just before the port's.
        EXPECT_EQ(starts[i], (uint64_t{h.port.Calls()[i].tick} - 1) * 1000) << "write " << i;
    }
}

TEST(VexDataPlayAllocation, TheScheduleRecorderNotesNoMoreThanItsRoomAndPassesFailuresOn) {
    PlayHarness h;
    TrackWriter track;
    for (uint32_t i = 0; i < 5; ++i) {
        track.SysEx(10, Pattern(100, static_cast<uint8_t>(i)));
    }
    h.Load(track.EndOfTrack().Events());
    h.port.FailFrom(5);
    tern::ScheduleRecordingPort recorder(h.port, 3, h.player->m_Moves);
    g_pFirmwarePort = &recorder;
    h.Play();
    // The fifth write failed, as the port said, and the play stopped there.
    EXPECT_EQ(h.player->m_nError, kReaderInProgress);
    EXPECT_EQ(h.port.Calls().size(), 5u);
    EXPECT_EQ(recorder.StartsUs().size(), 3u);
}

}  // namespace
}  // namespace tern::test
