// A virtual clock for tests: time moves only when told to, or by a fixed step
// on every reading, so a busy wait on the tick counter still makes progress.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/TickCount.h"

namespace tern::platform {

class FakeClock final : public IClock {
public:
    explicit FakeClock(uint32_t start = 0, uint32_t stepPerRead = 0)
        : m_now(start), m_step(stepPerRead) {}

    uint32_t Now() override { return m_now.fetch_add(m_step, std::memory_order_relaxed); }

    // Sleeping advances virtual time by the requested amount and returns at once.
    void Sleep(uint32_t ms) override {
        m_slept.fetch_add(ms, std::memory_order_relaxed);
        m_sleeps.fetch_add(1, std::memory_order_relaxed);
        m_now.fetch_add(ms, std::memory_order_relaxed);
    }

    void Advance(uint32_t ms) { m_now.fetch_add(ms, std::memory_order_relaxed); }
    void Set(uint32_t now) { m_now.store(now, std::memory_order_relaxed); }
    uint32_t Peek() const { return m_now.load(std::memory_order_relaxed); }
    uint64_t TotalSlept() const { return m_slept.load(std::memory_order_relaxed); }
    uint32_t SleepCount() const { return m_sleeps.load(std::memory_order_relaxed); }

private:
    std::atomic<uint32_t> m_now;
    const uint32_t m_step;
    std::atomic<uint64_t> m_slept{0};
    std::atomic<uint32_t> m_sleeps{0};
};

// Installs a clock for the lifetime of this object, then puts back the one it replaced.
class ScopedClock {
public:
    explicit ScopedClock(IClock& clock) : m_previous(InstalledClock()) { SetClock(&clock); }
    ~ScopedClock() { SetClock(m_previous); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

private:
    IClock* const m_previous;
};

}  // namespace tern::platform
