// Millisecond tick counter and sleep, as the transfer timing and the discovery pauses expect.
// The system's clock is the backend's; a test or a dry run may put a clock of its own in its
// place.
#pragma once

#include <cstdint>

namespace tern::platform {

// Milliseconds of the monotonic clock, truncated to 32 bits: wraps every ~49.7 days, so
// callers compare ticks only through unsigned differences. Windows' counter moves in steps of
// up to 16 ms.
uint32_t GetTickCount();

// The same clock in microseconds, not truncated: for measuring how closely waits on the tick
// counter keep time. With a clock installed, its milliseconds times 1000 (one more reading
// of it). Windows' counter is not this clock's, only close to it.
uint64_t GetTickMicroseconds();

// Blocks the calling thread for at least `ms` milliseconds.
void Sleep(uint32_t ms);

// Replaces the tick source and the sleeper, so timing and wrap-around can be tested
// without waiting. Install before the threads that read the clock start, remove after
// they end; the clock must outlive its installation.
class IClock {
public:
    virtual ~IClock() = default;
    virtual uint32_t Now() = 0;
    virtual void Sleep(uint32_t ms) = 0;
};

// nullptr restores the real monotonic clock.
void SetClock(IClock* clock);

// The clock installed by SetClock, or nullptr while the real one is in use.
IClock* InstalledClock();

}  // namespace tern::platform
