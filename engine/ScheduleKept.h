// How closely an installation kept the file's schedule: each write's lateness against its
// due time, moved later by the stalls the play met, how far and why the schedule moved, and
// the whole play's duration against the scheduled one.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "engine/ScheduleMoves.h"

namespace tern {

struct ScheduleKept {
    uint32_t writes = 0;  // writes timed
    uint64_t p99LateUs = 0;
    uint64_t worstLateUs = 0;
    uint32_t elapsedMs = 0;    // the play, on the system's clock
    uint32_t scheduledMs = 0;  // the dry run's duration
    bool scheduledExact = true;
    ScheduleMoves moves;  // the player's, after the play
};

// `startsUs`: when each write began; `dueMs`: when each was due, from the start of the play
// (the dry run's times); `movedMs`: how far the play had moved its schedule by each write
// (none: not at all), which its due time moves by; `lateUs`: room for each write's lateness,
// made before the play, so that measuring allocates nothing once a play has written. Writes
// are paired in order, as far as the lists and the room go. The first write's
// start, less its due time, is the play's start: the player's own start reading is not seen,
// and the counter's millisecond steps may let a later write go out up to a millisecond before
// its due time counted from there, which counts as on time. p99 is by nearest rank.
ScheduleKept MeasureScheduleKept(std::span<const uint64_t> startsUs,
                                 std::span<const uint32_t> dueMs, std::span<const uint32_t> movedMs,
                                 std::span<uint64_t> lateUs, uint32_t elapsedMs,
                                 uint32_t scheduledMs, bool scheduledExact);

// "Schedule kept: 67 writes, p99 0.03 ms, worst 0.08 ms late; 2,493 ms as scheduled", or
// "...; 2,494 ms, scheduled 2,493 ms" when the durations differ. After stalls,
// "...; moved 1,502 ms later after the program was held up (1 stall); ...".
std::string ScheduleKeptLine(const ScheduleKept& kept);

}  // namespace tern
