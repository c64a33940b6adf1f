#include "engine/Preflight.h"

#include "engine/DryRun.h"
#include "engine/DurationText.h"

namespace tern {

PreflightVerdict JudgePreflight(const DryRunReport& run) {
    if (!run.Succeeds()) {
        return {Refusal::kPlayFails,
                "the transfer would fail" +
                    (run.failure ? ": " + Describe(*run.failure) : std::string())};
    }
    if (run.writes == 0) {
        return {Refusal::kNoFirmware,
                "track 0 holds no SysEx message before its end-of-track event, so there is no "
                "firmware to install"};
    }
    if (run.ticksWrap) {
        return {Refusal::kTicksWrap,
                "its delta times add up past 2^32 ticks, where the transfer's tick count wraps "
                "and its messages would go out early"};
    }
    if (run.scheduleMs > UINT32_MAX) {
        return {Refusal::kDueTimeWraps,
                "a message is due " + FormatDuration(run.scheduleMs) +
                    " after the start, past 2^32 ms, where the millisecond counter wraps and it "
                    "would go out early"};
    }
    if (run.scheduleMs > kLongestScheduleMs) {
        return {Refusal::kScheduleTooLong, "its messages are due over " +
                                               FormatDuration(run.scheduleMs) +
                                               ", and a transfer longer than " +
                                               FormatDuration(kLongestScheduleMs) + " is refused"};
    }
    return {};
}

const char* RefusalName(Refusal refusal) {
    switch (refusal) {
        case Refusal::kNone:
            return "none";
        case Refusal::kPlayFails:
            return "play_fails";
        case Refusal::kNoFirmware:
            return "no_firmware";
        case Refusal::kTicksWrap:
            return "ticks_wrap";
        case Refusal::kDueTimeWraps:
            return "due_time_wraps";
        case Refusal::kScheduleTooLong:
            return "schedule_too_long";
    }
    return "unknown";
}

}  // namespace tern
