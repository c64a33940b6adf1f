#include "platform/TickCount.h"

#include <gtest/gtest.h>

#include <chrono>

#include "tests/support/FakeClock.h"

namespace tern::platform {
namespace {

// The counter may move in steps of up to 16 ms (Windows), and truncation loses up to one
// millisecond at each end of a measurement.
constexpr uint32_t kTickSlackMs = 16 + 1;

TEST(TickCount, RealClockSleepsAtLeastTheTimeAskedFor) {
    const auto before = std::chrono::steady_clock::now();
    const uint32_t start = GetTickCount();
    Sleep(50);
    const uint32_t elapsedTicks = GetTickCount() - start;
    const auto elapsed = std::chrono::steady_clock::now() - before;
    EXPECT_GE(elapsed, std::chrono::milliseconds(50));
    EXPECT_GE(elapsedTicks, 50u - kTickSlackMs);
}

TEST(TickCount, AnInstalledClockReplacesTicksAndSleepUntilRemoved) {
    FakeClock fake(0xFFFFFFF0u);
    {
        ScopedClock installed(fake);
        EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
        const auto before = std::chrono::steady_clock::now();
        Sleep(60'000);  // virtual: returns at once
        EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
        // The counter wrapped; the unsigned difference still gives the time that passed.
        EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u + 60'000u);
        EXPECT_EQ(GetTickCount() - 0xFFFFFFF0u, 60'000u);
        EXPECT_EQ(fake.SleepCount(), 1u);
        EXPECT_EQ(fake.TotalSlept(), 60'000u);
    }
    // The real clock is back: a real sleep moves it.
    const uint32_t start = GetTickCount();
    Sleep(40);
    EXPECT_GE(GetTickCount() - start, 40u - kTickSlackMs);
    EXPECT_EQ(fake.Peek(), 0xFFFFFFF0u + 60'000u);
}

TEST(TickCount, AStepPerReadLetsABusyWaitMakeProgress) {
    FakeClock fake(100, 1);
    ScopedClock installed(fake);
    const uint32_t start = GetTickCount();
    int reads = 0;
    while (GetTickCount() - start < 50) {
        ++reads;
    }
    EXPECT_EQ(reads, 49);
}

}  // namespace
}  // namespace tern::platform
