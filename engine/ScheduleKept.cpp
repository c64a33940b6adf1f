#include "engine/ScheduleKept.h"

#include <algorithm>

namespace tern {
namespace {

constexpr uint64_t kMicrosecondsPerMillisecond = 1000;
constexpr uint64_t kPercentile = 99;

// 2493 as "2,493".
std::string Grouped(uint64_t value) {
    std::string digits = std::to_string(value);
    for (auto at = static_cast<ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<size_t>(at), 1, ',');
    }
    return digits;
}

// "3 stalls".
std::string Stalls(uint32_t count) {
    return Grouped(count) + (count == 1 ? " stall" : " stalls");
}

// "; moved 1,502 ms later after the program was held up (1 stall)", or nothing.
std::string MovedText(const ScheduleMoves& moves) {
    if (moves.Stalls() == 0) {
        return "";
    }
    std::string text = "; moved " + Grouped(moves.movedMs) + " ms later after ";
    if (moves.heldUp > 0) {
        text += "the program was held up (" + Stalls(moves.heldUp) + ")";
    }
    if (moves.heldUp > 0 && moves.slowWrites > 0) {
        text += " and ";
    }
    if (moves.slowWrites > 0) {
        text += "slow writes (" + Stalls(moves.slowWrites) + ")";
    }
    return text;
}

// Microseconds as milliseconds to the hundredth, rounded: 25 us as "0.03".
std::string Milliseconds(uint64_t us) {
    const uint64_t hundredths = (us + 5) / 10;
    const uint64_t fraction = hundredths % 100;
    return Grouped(hundredths / 100) + (fraction < 10 ? ".0" : ".") + std::to_string(fraction);
}

}  // namespace

ScheduleKept MeasureScheduleKept(std::span<const uint64_t> startsUs,
                                 std::span<const uint32_t> dueMs, std::span<const uint32_t> movedMs,
                                 std::span<uint64_t> lateUs, uint32_t elapsedMs,
                                 uint32_t scheduledMs, bool scheduledExact) {
    ScheduleKept kept;
    kept.elapsedMs = elapsedMs;
    kept.scheduledMs = scheduledMs;
    kept.scheduledExact = scheduledExact;
    const size_t writes = std::min({startsUs.size(), dueMs.size(), lateUs.size()});
    kept.writes = static_cast<uint32_t>(writes);
    if (writes == 0) {
        return kept;
    }
    const auto dueUs = [&](size_t i) {
        const uint64_t moved = i < movedMs.size() ? movedMs[i] : 0;
        return static_cast<int64_t>((dueMs[i] + moved) * kMicrosecondsPerMillisecond);
    };
    // Signed: a start whose due time was a millisecond step ahead lies before the reference.
    const auto start = static_cast<int64_t>(startsUs[0]) - dueUs(0);
    const std::span<uint64_t> late = lateUs.first(writes);
    for (size_t i = 0; i < writes; ++i) {
        const int64_t due = start + dueUs(i);
        late[i] =
            static_cast<uint64_t>(std::max<int64_t>(static_cast<int64_t>(startsUs[i]) - due, 0));
    }
    std::sort(late.begin(), late.end());
    const size_t rank = (writes * kPercentile + 99) / 100;  // ceil, at least 1
    kept.p99LateUs = late[rank - 1];
    kept.worstLateUs = late.back();
    return kept;
}

std::string ScheduleKeptLine(const ScheduleKept& kept) {
    std::string line =
        "Schedule kept: " + Grouped(kept.writes) + (kept.writes == 1 ? " write" : " writes");
    if (kept.writes > 0) {
        line += ", p99 " + Milliseconds(kept.p99LateUs) + " ms, worst " +
                Milliseconds(kept.worstLateUs) + " ms late";
    }
    line += MovedText(kept.moves);
    line += "; " + Grouped(kept.elapsedMs) + " ms";
    if (kept.scheduledExact && kept.elapsedMs == kept.scheduledMs) {
        return line + " as scheduled";
    }
    return line + ", scheduled " + (kept.scheduledExact ? "" : "about ") +
           Grouped(kept.scheduledMs) + " ms";
}

}  // namespace tern
