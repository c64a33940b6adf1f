// The dry run: what it counts, the schedule it reports, why it says a play would fail, and
// that no file can make it run long. Files are put into the player as if read from disk.
#include "engine/DryRun.h"

#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

#include "devlink/Handles.h"
#include "engine/DryRunClock.h"
#include "engine/DurationText.h"
#include "status/StatusCodes.h"
#include "tests/engine/PlayCases.h"
#include "tests/support/FakeClock.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/SmfImage.h"

namespace tern {
namespace {

using samples::Bytes;
using samples::TrackWriter;

std::unique_ptr<CVexDataPlay> Loaded(const Bytes& file) {
    auto player = std::make_unique<CVexDataPlay>();
    test::SetImage(*player, file);
    EXPECT_TRUE(player->ParseChunks());
    return player;
}

TEST(DryRun, SaysWhyAndWhereEachBrokenTrackWouldFail) {
    for (const test::PlayCase& c : test::PlayCases()) {
        SCOPED_TRACE(c.name);
        auto player = Loaded(c.file);
        const DryRunReport run = RunDryRun(*player);
        EXPECT_EQ(run.playerError, c.playerError);
        EXPECT_EQ(run.status,
                  c.playerError == kReaderOk ? kStatusRebooting : MakeFailure(kMsgCommunication));
        if (c.playerError == kReaderOk) {
            EXPECT_FALSE(run.failure.has_value());
            continue;
        }
        ASSERT_TRUE(run.failure.has_value());
        EXPECT_EQ(run.failure->eventNumber, c.eventNumber);
        EXPECT_NE(run.failure->why.find(c.why), std::string::npos) << run.failure->why;
        if (c.eventNumber == 0) {
            EXPECT_EQ(Describe(*run.failure), run.failure->why);  // no event to point at
        } else {
            EXPECT_EQ(run.failure->trackOffset, c.trackOffset);
            EXPECT_EQ(run.failure->fileOffset, CSMF::kHeaderSize + c.trackOffset);
            EXPECT_EQ(Describe(*run.failure)
                          .rfind("event " + std::to_string(c.eventNumber) + " at offset " +
                                     std::to_string(c.trackOffset) + " of track 0",
                                 0),
                      0u)
                << Describe(*run.failure);
        }
        // The explanation leaves the player's outcome as the play left it.
        EXPECT_EQ(player->m_nError, c.playerError);
    }
}

TEST(DryRun, RefusesEveryFileThatWouldFailOrHasNothingToInstallInTime) {
    for (const test::PlayCase& c : test::PlayCases()) {
        SCOPED_TRACE(c.name);
        const DryRunReport run = RunDryRun(*Loaded(c.file));
        EXPECT_EQ(run.verdict.refusal, c.refusal) << run.verdict.reason;
        EXPECT_EQ(run.verdict.Accepted(), run.verdict.reason.empty()) << run.verdict.reason;
        if (c.refusal == Refusal::kPlayFails) {
            EXPECT_NE(run.verdict.reason.find(Describe(*run.failure)), std::string::npos)
                << run.verdict.reason;
        }
    }
    // The longest schedule accepted, at 1 ms a tick, and the reason's words for one too long.
    struct Boundary {
        uint32_t lastDelta;
        Refusal refusal;
        const char* reason;
    };
    const Boundary boundaries[] = {
        {3600000, Refusal::kNone, ""},
        {3600001, Refusal::kScheduleTooLong,
         "its messages are due over 1 h 00 min, and a transfer longer than 1 h 00 min is refused"},
        {100000000, Refusal::kScheduleTooLong, "due over 27 h 46 min"},
    };
    for (const Boundary& b : boundaries) {
        SCOPED_TRACE(b.lastDelta);
        const DryRunReport run = RunDryRun(*Loaded(samples::MakeSmf(
            0, 500, {TrackWriter().SysEx(0, {1}).SysEx(b.lastDelta, {2}).EndOfTrack().Events()})));
        EXPECT_EQ(run.scheduleMs, b.lastDelta);
        EXPECT_EQ(run.verdict.refusal, b.refusal);
        EXPECT_NE(run.verdict.reason.find(b.reason), std::string::npos) << run.verdict.reason;
    }
}

TEST(DryRun, DurationsAreWordedByTheirSizeAtEachBoundary) {
    const std::pair<uint64_t, const char*> cases[] = {
        {999, "999 ms"},           {1000, "1.0 s"},          {9999, "9.9 s"},
        {10000, "10 s"},           {59999, "59 s"},          {60000, "1 min 00 s"},
        {610000, "10 min 10 s"},   {3599999, "59 min 59 s"}, {3600000, "1 h 00 min"},
        {36610000, "10 h 10 min"},
    };
    for (const auto& [ms, text] : cases) {
        EXPECT_EQ(FormatDuration(ms), text) << ms;
    }
}

TEST(DryRun, CountsWhatReachesThePortAndWhen) {
    struct Case {
        const char* name;
        Bytes track;
        uint32_t sysexEvents, dataBytes, writes, durationMs;
    };
    const Bytes k3 = {0x01, 0x02, 0x03};
    const Case cases[] = {
        // 960 ticks at 480 per quarter note and 500,000 us per quarter note: 1,000 ms.
        {"pieces and a due time",
         TrackWriter().SysEx(0, k3).SysEx(960, Bytes(4096, 0x11)).EndOfTrack(480).Events(), 2, 4099,
         3, 1000},
        {"events never sent still count toward due times",
         TrackWriter()
             .Channel(240, {0xC0, 0x05})
             .Escape(240, {0x7F})
             .SysEx(0, {})
             .EndOfTrack()
             .Events(),
         1, 0, 1, 500},
        // A meta event other than the end of the track neither ends the play nor its schedule,
        // and a set-tempo event changes no due time.
        {"a meta event before the firmware",
         TrackWriter().Tempo(0, 250000).SysEx(480, k3).EndOfTrack().Events(), 1, 3, 1, 500},
        // The play and its schedule end at the first end-of-track event.
        {"a message after the end of the track",
         TrackWriter().SysEx(0, k3).EndOfTrack().SysEx(960, k3).Events(), 1, 3, 1, 0},
        // 0xF0 goes out alone when its length is cut off: an event with no data bytes.
        {"a lone 0xF0", TrackWriter().SysEx(0, k3).Raw({0x0C, 0xF0, 0x81}).Events(), 2, 3, 2, 12},
        // Its data run past the track: nothing of it goes out, but its wait still passes.
        {"a SysEx that is not sent",
         TrackWriter().SysEx(0, k3).Raw({0x30, 0xF0, 0x05, 0x01}).Events(), 1, 3, 1, 50},
    };
    // When each write is due, in the same order.
    const std::vector<uint32_t> writeTimesMs[] = {{0, 1000, 1000}, {500}, {500}, {0}, {0, 12}, {0}};
    ASSERT_EQ(std::size(writeTimesMs), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        auto player = Loaded(samples::MakeSmf(0, 480, {c.track}));
        const DryRunReport run = RunDryRun(*player);
        EXPECT_EQ(run.sysexEvents, c.sysexEvents);
        EXPECT_EQ(run.dataBytes, c.dataBytes);
        EXPECT_EQ(run.writes, c.writes);
        EXPECT_EQ(run.portBytes, c.dataBytes + c.sysexEvents);
        EXPECT_EQ(run.durationMs, c.durationMs);
        EXPECT_EQ(run.scheduleMs, c.durationMs);  // the last message is due as the play ends
        EXPECT_TRUE(run.durationExact);
        EXPECT_EQ(run.writeTimesMs, writeTimesMs[i]);  // the pieces of one event go together
    }
}

TEST(DryRun, TheScheduleGivesBytesAndTimeAtEachPercentage) {
    // Two messages of 100 data bytes, the second due at 1,000 ms, then the end of the track.
    const Bytes track =
        TrackWriter().SysEx(0, Bytes(100, 1)).SysEx(960, Bytes(100, 2)).EndOfTrack().Events();
    auto player = Loaded(samples::MakeSmf(0, 480, {track}));
    const DryRunReport run = RunDryRun(*player);
    // Track length 8 + 103 + 104 + 4 = 219: the events end at 50%, 98% and 100%.
    std::vector<std::pair<int, ProgressMark>> reached;
    for (int p = 0; p <= 100; ++p) {
        if (run.marks[static_cast<size_t>(p)].reached) {
            reached.emplace_back(p, run.marks[static_cast<size_t>(p)]);
        }
    }
    ASSERT_EQ(reached.size(), 3u);
    EXPECT_EQ(reached[0].first, 50);
    EXPECT_EQ(reached[0].second.timeMs, 0u);
    EXPECT_EQ(reached[0].second.portBytes, 101u);
    EXPECT_EQ(reached[1].first, 98);
    EXPECT_EQ(reached[1].second.timeMs, 1000u);
    EXPECT_EQ(reached[1].second.portBytes, 202u);
    EXPECT_EQ(reached[2].first, 100);
    EXPECT_EQ(reached[2].second.timeMs, 1000u);
}

TEST(DryRun, LongWaitsTakeNoTimeAndAreTimedToTheMillisecondWhileThatIsCheap) {
    // Division 1 at tempo 1,000: one tick is one millisecond.
    auto quarterHour =
        Loaded(samples::MakeSmf(0, 1, {TrackWriter().SysEx(900000, {1}).EndOfTrack().Events()}));
    const DryRunReport exact = RunDryRun(*quarterHour, 1000);
    EXPECT_EQ(exact.durationMs, 900000u);
    EXPECT_TRUE(exact.durationExact);
    // Twelve days: past the exact budget the steps double, so the time is approximate.
    auto days = Loaded(
        samples::MakeSmf(0, 1, {TrackWriter().SysEx(0x0FFFFFFF, {1}).EndOfTrack().Events()}));
    const DryRunReport approximate = RunDryRun(*days, 4000);
    EXPECT_EQ(approximate.playerError, kReaderOk);
    EXPECT_FALSE(approximate.durationExact);
    EXPECT_GE(approximate.durationMs, 0x0FFFFFFFu * 4);
}

// The player's wait: reads until `due` ms have passed since its start. Returns the reads it
// took, or `cap` + 1 when it would go on past `cap`.
uint64_t ReadsToWait(DryRunClock& clock, uint32_t start, uint32_t due, uint64_t cap) {
    uint64_t reads = 0;
    while (reads <= cap) {
        ++reads;
        if (clock.Now() - start >= due) {
            break;
        }
    }
    clock.NoteActivity();  // the write that follows
    return reads;
}

TEST(DryRunClock, EachWaitEndsOnItsDueMillisecondOrWithinABoundedNumberOfReads) {
    constexpr uint64_t kBudget = DryRunClock::kExactReadBudget;
    constexpr uint64_t kDoublings = 33;  // from 1 ms to past 2^32 ms
    struct Wait {
        uint32_t due;
        uint64_t maxReads;
        uint32_t exactTime;  // 0: only a bound
    };
    const auto budget = static_cast<uint32_t>(kBudget);
    // Each play's time is exact as long as no wait went past its due time.
    const std::tuple<const char*, std::vector<Wait>, bool> plays[] = {
        {"due at once, then one and then a thousand ms later",
         {{0, 1, 0}, {1, 2, 1}, {1001, 1001, 1001}, {1001, 1, 1001}},
         true},
        {"the exact budget, then doubling steps up to the last millisecond",
         {{budget, kBudget + 1, budget},
          {budget + 5000, kDoublings, 0},
          {0xFFFFFFF0u, kDoublings, 0},
          {0xFFFFFFFFu, kDoublings, 0xFFFFFFFFu},
          {0xFFFFFFFFu, 1, 0xFFFFFFFFu}},
         false},
        // Steps of 1 and 2 ms pass a due time 2 ms on by one.
        {"the exact budget, then the first doubled step",
         {{budget, kBudget + 1, budget}, {budget + 2, 3, budget + 3}},
         false},
    };
    for (const auto& [name, waits, exact] : plays) {
        SCOPED_TRACE(name);
        DryRunClock clock;
        clock.StartPlay();
        const uint32_t start = clock.Now();
        EXPECT_EQ(start, 0u);
        for (const Wait& w : waits) {
            SCOPED_TRACE(w.due);
            EXPECT_LE(ReadsToWait(clock, start, w.due, w.maxReads), w.maxReads);
            if (w.exactTime != 0) {
                EXPECT_EQ(clock.Elapsed(), w.exactTime);
            }
        }
        EXPECT_EQ(clock.Exact(), exact);
    }
}

TEST(DryRun, LeavesTheProcesssFirmwarePortAndClockAlone) {
    test::RecordingPort realPort;
    platform::FakeClock testClock(77);
    platform::ScopedClock installed(testClock);
    g_pFirmwarePort = &realPort;
    auto player =
        Loaded(samples::MakeSmf(0, 480, {TrackWriter().SysEx(480, {0x01}).EndOfTrack().Events()}));
    const DryRunReport run = RunDryRun(*player);
    EXPECT_EQ(run.writes, 1u);
    EXPECT_EQ(g_pFirmwarePort, &realPort);
    EXPECT_TRUE(realPort.Calls().empty());
    EXPECT_EQ(platform::InstalledClock(), &testClock);
    EXPECT_EQ(testClock.Peek(), 77u);  // the play read the dry run's clock, not this one
    g_pFirmwarePort = nullptr;
}

}  // namespace
}  // namespace tern
