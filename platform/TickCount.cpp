#include "platform/TickCount.h"

#include <atomic>

#include "platform/SystemClock.h"

namespace tern::platform {
namespace {

std::atomic<IClock*> g_clock{nullptr};

}  // namespace

uint32_t GetTickCount() {
    if (auto* clock = g_clock.load(std::memory_order_acquire)) {
        return clock->Now();
    }
    return SystemTickCount();
}

uint64_t GetTickMicroseconds() {
    if (auto* clock = g_clock.load(std::memory_order_acquire)) {
        return uint64_t{clock->Now()} * 1000u;
    }
    return SystemTickMicroseconds();
}

void Sleep(uint32_t ms) {
    if (auto* clock = g_clock.load(std::memory_order_acquire)) {
        clock->Sleep(ms);
        return;
    }
    SystemSleep(ms);
}

void SetClock(IClock* clock) {
    g_clock.store(clock, std::memory_order_release);
}

IClock* InstalledClock() {
    return g_clock.load(std::memory_order_acquire);
}

}  // namespace tern::platform
