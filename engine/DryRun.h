// The dry run of an installation: the real player on track 0 of a loaded file, against a
// port that accepts every write and a virtual clock, so it touches no device and takes no
// real time. It tells what an installation would send, when, and how it would end.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/PlayFailure.h"
#include "engine/Preflight.h"
#include "engine/VexDataPlay.h"

namespace tern {

// Where the play stands when the progress bar first shows a percentage.
struct ProgressMark {
    bool reached = false;
    uint32_t timeMs = 0;     // from the start of the play, on the file's schedule
    uint64_t portBytes = 0;  // bytes written by then, 0xF0s included
};

struct DryRunReport {
    int32_t playerError = 0;   // the player's error value afterwards; 0 is success
    int32_t status = 0;        // the status code the window would store: 255 or communication error
    uint32_t sysexEvents = 0;  // SysEx events that reached the port, whole or as 0xF0 alone
    uint64_t dataBytes = 0;    // their data bytes, without the leading 0xF0s
    uint32_t writes = 0;       // port writes
    uint64_t portBytes = 0;    // bytes written, 0xF0s included
    uint64_t portDigest = 0;   // WriteDigest of the writes
    uint32_t durationMs = 0;   // when the play's last wait ended
    bool durationExact = true;  // false only for waits too long to time to the millisecond
    std::array<ProgressMark, 101> marks{};  // by percentage
    std::vector<uint32_t> writeTimesMs;     // when each write is due, from the start of the play
    std::optional<PlayFailure> failure;     // when the play would not succeed
    // When the last message the play sends is due, from the file's delta times summed without
    // wrapping; and whether that sum passes the player's 32-bit tick count.
    uint64_t scheduleMs = 0;
    bool ticksWrap = false;
    // Whether the file may be installed at all; the front ends refuse it before any write
    // when not.
    PreflightVerdict verdict;

    bool Succeeds() const { return playerError == 0; }
};

// Plays `player`'s loaded file (LoadFile succeeded) at `tempo`, on a port and a clock of its
// own: the process's firmware port handle and clock are not touched, so it may run while
// other threads use them. The player's error value is left as the play left it.
DryRunReport RunDryRun(CVexDataPlay& player, uint32_t tempo = kInstallTempo);

}  // namespace tern
