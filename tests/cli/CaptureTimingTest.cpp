// The lateness figures that the disturbance tests and bench_disturbances rely on: what counts
// as late, and that the schedule taken from the dry run is the one the file's ticks give.
#include "tests/support/CaptureTiming.h"

#include <gtest/gtest.h>

#include "engine/DryRun.h"
#include "engine/VexDataPlay.h"
#include "samples/SampleFirmware.h"
#include "tests/cli/SampleCopy.h"
#include "tests/support/TempDir.h"

namespace tern::test {
namespace {

TEST(CaptureTiming, LatenessCountsFromTheFirstWriteOnBothClocks) {
    struct Case {
        const char* what;
        std::vector<uint64_t> capturedUs;
        std::vector<uint32_t> dueMs;
        double p99Ms, worstMs;
        size_t worstWrite;
        double squeezedMs;  // from one message's first write to the next's
        size_t squeezedMessages;
    };
    std::vector<uint64_t> oneLateIn101(101);
    std::vector<uint32_t> every10Ms(101);
    for (size_t i = 0; i < 101; ++i) {
        every10Ms[i] = static_cast<uint32_t>(10 * i);
        oneLateIn101[i] = 7'000'000 + 10'000 * i + (i == 40 ? 9'000 : 0);
    }
    const Case cases[] = {
        {"pieces of one event share a due time",
         {5'000, 15'200, 15'300, 40'000},
         {0, 10, 10, 30},
         0.3,
         5.0,
         3,
         -0.2,
         0},
        {"a late first write moves the origin; early ones count negative",
         {0, 9'000},
         {2, 12},
         -1.0,
         0.0,
         0,
         1.0,
         0},
        // The one after the late one followed it 1 ms later, 9 ms sooner than the file's gap.
        {"the p99 of 101 leaves the single worst out", oneLateIn101, every10Ms, 0.0, 9.0, 40, 9.0,
         1},
        {"a stall's burst",
         {0, 1'500'000, 1'500'100, 1'500'200},
         {0, 40, 80, 120},
         1420.1,
         1460.0,
         1,
         39.9,
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CaptureLateness late = LatenessAgainstSchedule(c.capturedUs, c.dueMs);
        EXPECT_EQ(late.error, "");
        EXPECT_EQ(late.writes, c.capturedUs.size());
        EXPECT_NEAR(late.p99Ms, c.p99Ms, 1e-9);
        EXPECT_NEAR(late.worstMs, c.worstMs, 1e-9);
        EXPECT_EQ(late.worstWrite, c.worstWrite);
        EXPECT_NEAR(late.squeezedMs, c.squeezedMs, 1e-9);
        EXPECT_EQ(late.squeezedMessages, c.squeezedMessages);
    }
    // A capture that lost or gained writes has no lateness to speak of.
    EXPECT_NE(LatenessAgainstSchedule({1, 2}, {0}).error, "");
    EXPECT_NE(LatenessAgainstSchedule({}, {}).error, "");
}

TEST(CaptureTiming, TheSampleIsScheduledByItsTicksWithEachPieceAtItsEventsTime) {
    // From the generator's own list: ticks at 500,000 us per quarter note, whole
    // milliseconds, one write per 4,096 bytes with the 0xF0 in the first.
    std::vector<uint32_t> expected;
    for (const samples::SampleSysEx& e : samples::BuildSampleFirmware().sysex) {
        const auto due = static_cast<uint32_t>(uint64_t{e.ticks} * kInstallTempo /
                                               (uint64_t{samples::kSampleDivision} * 1000));
        const size_t bytes = e.data.size() + 1;
        expected.insert(expected.end(),
                        (bytes + CVexDataPlay::kBufferSize - 1) / CVexDataPlay::kBufferSize, due);
    }
    TempDir dir;
    std::string error;
    EXPECT_EQ(ScheduledWriteTimesMs(CopyOfSample(dir), error), expected);
    EXPECT_EQ(error, "");
    EXPECT_EQ(expected.size(), 67u);

    EXPECT_TRUE(ScheduledWriteTimesMs(dir.PathOf("absent.mid"), error).empty());
    EXPECT_NE(error, "");
}

}  // namespace
}  // namespace tern::test
