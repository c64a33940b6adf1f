#include "platform/TickCount.h"

#include <atomic>
#include <cerrno>
#include <ctime>

namespace {

std::atomic<tern::platform::IClock*> g_clock{nullptr};

uint32_t MonotonicMilliseconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const uint64_t ms =
        static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1'000'000u;
    return static_cast<uint32_t>(ms);
}

void SleepMonotonic(uint32_t ms) {
    timespec left{static_cast<time_t>(ms / 1000u), static_cast<long>(ms % 1000u) * 1'000'000L};
    // A signal may end the sleep early; carry on with what is left.
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

}  // namespace

uint32_t GetTickCount() {
    if (auto* clock = g_clock.load(std::memory_order_acquire)) {
        return clock->Now();
    }
    return MonotonicMilliseconds();
}

void Sleep(uint32_t ms) {
    if (auto* clock = g_clock.load(std::memory_order_acquire)) {
        clock->Sleep(ms);
        return;
    }
    SleepMonotonic(ms);
}

namespace tern::platform {

void SetClock(IClock* clock) {
    g_clock.store(clock, std::memory_order_release);
}

IClock* InstalledClock() {
    return g_clock.load(std::memory_order_acquire);
}

}  // namespace tern::platform
