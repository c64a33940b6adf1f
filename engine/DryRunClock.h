// The virtual clock of a dry run: the player's busy waits end at once, whatever the file's
// delta times say, and the times it records are those of the file's schedule.
//
// The player reads the clock once when its play starts, then spins on it until each SysEx
// event is due. The clock cannot see a due time, so it watches what happens between reads:
// the first read after any write or progress update returns the current time unchanged (an
// event already due goes out at once, at the time it would); every further read with nothing
// in between means the player is still waiting, and moves time on. Steps of 1 ms keep each
// write on its exact due millisecond; once kExactReadBudget such steps are spent, the step
// doubles on each read of a wait, so any wait ends within 33 reads and the whole run stays
// bounded by the size of the file, at the price of an approximate schedule.
#pragma once

#include <cstdint>

#include "platform/TickCount.h"

namespace tern {

class DryRunClock final : public platform::IClock {
public:
    // About 4.7 hours of waiting timed to the millisecond, in a few tens of milliseconds.
    static constexpr uint64_t kExactReadBudget = uint64_t{1} << 24;

    // A smaller budget trades exact times for speed (the fuzzer's choice).
    explicit DryRunClock(uint64_t exactReadBudget = kExactReadBudget)
        : m_exactReadBudget(exactReadBudget), m_exactReadsLeft(exactReadBudget) {}

    // The next read is a play's start time, 0.
    void StartPlay();
    // A write or progress update: the waits before it have ended.
    void NoteActivity();

    uint32_t Now() override;
    // The player never sleeps; should anything else sleep on this clock, time moves on.
    void Sleep(uint32_t ms) override;

    // Milliseconds since the start of the play: when its last wait ended.
    uint32_t Elapsed() const { return static_cast<uint32_t>(m_now); }
    // False when some wait ended on a step above 1 ms, so the times may lie late.
    bool Exact() const { return m_exact; }

private:
    void Advance(uint64_t ms);

    uint64_t m_now = 0;
    const uint64_t m_exactReadBudget;
    uint64_t m_exactReadsLeft;
    uint64_t m_step = 0;  // the last step of the current wait; 0 before its first step
    bool m_starting = true;
    bool m_waiting = false;  // a read has come since the last activity
    bool m_exact = true;
};

}  // namespace tern
