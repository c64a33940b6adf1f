// The verdict on a loaded file before anything is written: whether its transfer is known to
// go wrong. The player handles any file it is given as it always has; the front ends ask
// this first and hand it only files that would install.
#pragma once

#include <cstdint>
#include <string>

namespace tern {

struct DryRunReport;

enum class Refusal : uint8_t {
    kNone,             // the file would install
    kPlayFails,        // the play would not reach the end-of-track event
    kNoFirmware,       // it would reach it without a SysEx message written
    kTicksWrap,        // the delta times add up past the player's 32-bit tick count
    kDueTimeWraps,     // a message is due past 2^32 ms, where the tick counter wraps
    kScheduleTooLong,  // the messages are due over more than kLongestScheduleMs
};

// Real firmware files take seconds to minutes (the sample takes 2.5 s). An hour is many times
// the longest of them, and still short of what a wrong delta time asks for (days, at one
// tick a quarter note), which would leave the device half-programmed for as long.
constexpr uint64_t kLongestScheduleMs = 60 * 60 * 1000;

struct PreflightVerdict {
    Refusal refusal = Refusal::kNone;
    std::string reason;  // one line, without a full stop; empty when the file would install

    bool Accepted() const { return refusal == Refusal::kNone; }
};

// Judges a dry run of the file at the installation's tempo.
PreflightVerdict JudgePreflight(const DryRunReport& run);

// The refusal as a word for documents: "none", "play_fails", "no_firmware", ...
const char* RefusalName(Refusal refusal);

}  // namespace tern
