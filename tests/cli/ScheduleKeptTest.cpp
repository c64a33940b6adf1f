// How closely a play kept its schedule: lateness against due times, counted from the first
// write, its 99th percentile and worst, and the line install prints.
#include "engine/ScheduleKept.h"

#include <gtest/gtest.h>

#include <vector>

#include "cli/ExitStatus.h"
#include "tests/cli/InstallHarness.h"

namespace tern::test {
namespace {

using tern::MeasureScheduleKept;
using tern::ScheduleKept;
using tern::ScheduleKeptLine;

// `n` writes 10 ms apart from 5 s on, late by `late(i)` microseconds each.
template <typename Late>
void Spaced(std::vector<uint64_t>& starts, std::vector<uint32_t>& due, size_t n, Late late) {
    for (size_t i = 0; i < n; ++i) {
        due.push_back(static_cast<uint32_t>(i * 10));
        starts.push_back(5'000'000 + i * 10'000 + late(i));
    }
}

TEST(ScheduleKept, LatenessCountsFromTheFirstWriteAgainstMovedDueTimesAndEarlyIsOnTime) {
    struct Case {
        const char* name;
        std::vector<uint64_t> startsUs;
        std::vector<uint32_t> dueMs;
        std::vector<uint32_t> movedMs;
        uint32_t writes;
        uint64_t p99Us;
        uint64_t worstUs;
    };
    std::vector<Case> cases = {
        {"no writes", {}, {}, {}, 0, 0, 0},
        {"one write: its own reference", {7'777'777}, {0}, {}, 1, 0, 0},
        {"one write due later: still the reference", {7'777'777}, {2000}, {}, 1, 0, 0},
        // Due at 0, 1 and 3 ms from the first; 40 us, then 1,250 us late.
        {"late writes", {1'000'000, 1'001'040, 1'004'250}, {0, 1, 3}, {}, 3, 1250, 1250},
        // The first write is due at 5 ms: the second, due 10 ms later, is 20 us late.
        {"the first write not due at once", {100'000, 110'020}, {5, 15}, {}, 2, 20, 20},
        // A millisecond step of the counter sends one early: on time, not negative.
        {"early counts as on time", {1'000'000, 1'001'600, 1'002'000}, {0, 2, 2}, {}, 3, 0, 0},
        // A stall of 1.5 s after the first write moved the rest: each write is measured
        // against its moved due time, so the stall shows as the move, not as lateness.
        {"a moved schedule",
         {1'000'000, 2'540'000, 2'580'030},
         {0, 40, 80},
         {0, 1500, 1500},
         3,
         30,
         30},
        // The first write's own move is part of the reference.
        {"moved before the first write", {500'000, 540'100}, {0, 40}, {7, 7}, 2, 100, 100},
        // Only as far as both lists go: a failed play notes fewer writes than planned.
        {"fewer starts than due times", {0, 1'500}, {0, 1, 2, 3}, {}, 2, 500, 500},
        {"fewer due times than starts", {0, 1'500, 9'000'000}, {0, 1}, {}, 2, 500, 500},
    };
    Case hundred{"100 writes: p99 is the 99th smallest", {}, {}, {}, 100, 99, 5000};
    // 0 to 99 us late but one, which is 5 ms late.
    Spaced(hundred.startsUs, hundred.dueMs, 100, [](size_t i) { return i == 50 ? 5000 : i; });
    cases.push_back(hundred);
    Case twoHundred{"200 writes: two outliers reach p99", {}, {}, {}, 200, 700, 900};
    Spaced(twoHundred.startsUs, twoHundred.dueMs, 200, [](size_t i) -> uint64_t {
        return i == 10 ? 900 : i == 20 ? 800 : i == 30 ? 700 : 0;
    });
    cases.push_back(twoHundred);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint64_t> room(c.startsUs.size());
        const ScheduleKept kept =
            MeasureScheduleKept(c.startsUs, c.dueMs, c.movedMs, room, 120, 100, true);
        EXPECT_EQ(kept.writes, c.writes);
        EXPECT_EQ(kept.p99LateUs, c.p99Us);
        EXPECT_EQ(kept.worstLateUs, c.worstUs);
        EXPECT_EQ(kept.elapsedMs, 120u);
        EXPECT_EQ(kept.scheduledMs, 100u);
    }
}

TEST(ScheduleKept, TheLineGivesTheWritesTheirLatenessAndBothDurations) {
    struct Case {
        ScheduleKept kept;
        const char* line;
    };
    const Case cases[] = {
        {{67, 30, 80, 2493, 2493, true, {}},
         "Schedule kept: 67 writes, p99 0.03 ms, worst 0.08 ms late; 2,493 ms as scheduled"},
        {{67, 25, 1234567, 2495, 2493, true, {}},
         "Schedule kept: 67 writes, p99 0.03 ms, worst 1,234.57 ms late; 2,495 ms, scheduled "
         "2,493 ms"},
        {{1, 0, 0, 0, 0, true, {}},
         "Schedule kept: 1 write, p99 0.00 ms, worst 0.00 ms late; 0 ms as "
         "scheduled"},
        {{0, 0, 0, 3, 0, true, {}}, "Schedule kept: 0 writes; 3 ms, scheduled 0 ms"},
        {{12345, 1004, 1005, 1234567, 1234567, false, {}},
         "Schedule kept: 12,345 writes, p99 1.00 ms, worst 1.01 ms late; 1,234,567 ms, "
         "scheduled about 1,234,567 ms"},
        {{67, 30, 80, 4003, 2493, true, {1502, 1, 0}},
         "Schedule kept: 67 writes, p99 0.03 ms, worst 0.08 ms late; moved 1,502 ms later after "
         "the program was held up (1 stall); 4,003 ms, scheduled 2,493 ms"},
        {{67, 30, 80, 2600, 2493, true, {104, 2, 3}},
         "Schedule kept: 67 writes, p99 0.03 ms, worst 0.08 ms late; moved 104 ms later after "
         "the program was held up (2 stalls) and slow writes (3 stalls); 2,600 ms, scheduled "
         "2,493 ms"},
        {{2, 100, 2000, 505, 500, true, {5, 0, 1}},
         "Schedule kept: 2 writes, p99 0.10 ms, worst 2.00 ms late; moved 5 ms later after slow "
         "writes (1 stall); 505 ms, scheduled 500 ms"},
        {{2, 0, 0, 507, 500, true, {7, 1, 1}},
         "Schedule kept: 2 writes, p99 0.00 ms, worst 0.00 ms late; moved 7 ms later after the "
         "program was held up (1 stall) and slow writes (1 stall); 507 ms, scheduled 500 ms"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScheduleKeptLine(c.kept), c.line);
    }
}

TEST_F(InstallTest, AfterTheTransferOneLineSaysHowTheScheduleWasKept) {
    struct Case {
        const char* scenario;
        int status;
        const char* writes;
    };
    const Case cases[] = {
        {"", cli::kExitSuccess, "Schedule kept: 67 writes, p99 "},
        // The third write fails: three were timed, the failed one included.
        {"write_fails_at = 3\n", cli::kExitTransfer, "Schedule kept: 3 writes, p99 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scenario);
        m_env.SetScenario(c.scenario);
        const InstallResult r = Install(m_sample);
        ASSERT_EQ(r.status, c.status) << r.err;
        ASSERT_TRUE(r.report.transfer.has_value());
        const std::string line = ScheduleKeptLine(r.report.transfer->schedule);
        EXPECT_EQ(line.rfind(c.writes, 0), 0u) << line;
        // The last line of the output, once.
        EXPECT_TRUE(r.out.ends_with("\n" + line + "\n")) << r.out;
        EXPECT_EQ(r.out.find("Schedule kept:"), r.out.rfind("Schedule kept:"));
        EXPECT_EQ(r.report.transfer->schedule.scheduledMs, r.report.plan->durationMs);
        EXPECT_EQ(r.report.transfer->schedule.elapsedMs, r.report.transfer->timing.elapsedMs);
    }
}

}  // namespace
}  // namespace tern::test
