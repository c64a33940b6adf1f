// When each message reaches the port, on the virtual clock: due times from the ticks, the
// division and the caller's tempo, counted from the play's start, right across a wrap of
// the tick counter. A write is due when its tick is at or past the due time; the clock
// moves on each reading, so the margins allow a few readings after it.
#include <gtest/gtest.h>

#include <vector>

#include "engine/DryRunClock.h"
#include "status/ReaderError.h"
#include "tests/engine/PlayHarness.h"

namespace tern::test {
namespace {

using samples::Bytes;
using samples::TrackWriter;

TEST(VexDataPlayTiming, AMessageIsWrittenWhenTicksTimesTempoOverDivisionHavePassed) {
    struct Case {
        const char* what;
        uint16_t division;
        uint32_t tempo;
        uint32_t ticks;
        uint32_t step;  // clock step per reading, for the long waits
        uint32_t dueMs;
    };
    const Case cases[] = {
        {"tick 0 goes at once", 480, 500000, 0, 1, 0},
        {"960 ticks at 480", 480, 500000, 960, 1, 1000},
        {"fractions are dropped", 480, 500000, 479, 1, 498},
        {"division with its top bit set is a plain count", 0x81E0, 500000, 2 * 0x81E0, 1, 1000},
        {"tempo 0 makes everything due at once", 480, 0, 960, 1, 0},
        {"product beyond 32 bits", 480, 500000, 0x0FFFFFFF, 4096, 279620265},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PlayHarness h(kClockStart, c.step);
        h.Load(TrackWriter().SysEx(c.ticks, {0x01}).EndOfTrack().Events(), c.division);
        h.Play(c.tempo);
        EXPECT_EQ(h.player->m_nError, kReaderOk);
        ASSERT_EQ(h.port.Calls().size(), 1u);
        EXPECT_GE(h.WriteTime(0), c.dueMs);
        EXPECT_LE(h.WriteTime(0), c.dueMs + 2 * c.step + 1);
    }
}

TEST(VexDataPlayTiming, EventsThatAreNotWrittenStillCountTowardLaterDueTimes) {
    PlayHarness h;
    h.Load(TrackWriter()
               .SysEx(0, {0x01})
               .Tempo(0, 250000)  // ignored: the caller's tempo holds
               .Channel(240, {0xC0, 0x01})
               .Escape(240, {0x7F})
               .Text(240, "x")
               .Channel(240, {0x90, 0x3C, 0x40})
               .SysEx(0, {0x02})  // tick 960
               .EndOfTrack()
               .Events());
    h.Play();
    EXPECT_EQ(h.player->m_nError, kReaderOk);
    EXPECT_EQ(h.port.AllBytes(), (std::vector<uint8_t>{0xF0, 0x01, 0xF0, 0x02}));
    ASSERT_EQ(h.port.Calls().size(), 2u);
    EXPECT_LE(h.WriteTime(0), 2u);
    EXPECT_GE(h.WriteTime(1), 1000u);
    EXPECT_LE(h.WriteTime(1), 1003u);
}

// A port on a clock whose time moves only while the player spins and while a write takes
// its time: when each message goes out, exactly.
class TimedPort final : public ICorvoPort {
public:
    TimedPort(DryRunClock& clock, uint32_t writeMs, size_t slowWrites)
        : m_clock(clock), m_writeMs(writeMs), m_slowWrites(slowWrites) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(const IID&, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Reserved() override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE Write(uint32_t, uint32_t, const uint8_t*, uint32_t) override {
        m_clock.NoteActivity();
        sentAt.push_back(m_clock.Elapsed());
        if (sentAt.size() <= m_slowWrites) {
            m_clock.Sleep(m_writeMs);
        }
        return S_OK;
    }
    std::vector<uint32_t> sentAt;

private:
    DryRunClock& m_clock;
    const uint32_t m_writeMs;
    const size_t m_slowWrites;
};

TEST(VexDataPlayTiming, SlowWritesDoNotAddUpAndAStallMovesTheRestWithTheFilesGaps) {
    struct Case {
        const char* what;
        uint64_t exactReads;  // of the clock: past them, each wait ends late
        uint32_t writeMs;
        size_t slowWrites;
        std::vector<uint32_t> sentAt;
        ScheduleMoves moves;
    };
    const Case cases[] = {
        {"writes shorter than the gaps",
         DryRunClock::kExactReadBudget,
         300,
         SIZE_MAX,
         {0, 500, 1000, 1500},
         {}},
        // Each message is late before its wait begins, by the write before it.
        {"a port slower than the gaps",
         DryRunClock::kExactReadBudget,
         700,
         SIZE_MAX,
         {0, 700, 1400, 2100},
         {600, 0, 3}},
        // A millisecond late is late: each message moves the rest by one.
        {"writes a millisecond longer than the gaps",
         DryRunClock::kExactReadBudget,
         501,
         SIZE_MAX,
         {0, 501, 1002, 1503},
         {3, 0, 3}},
        // The messages due during a stall do not follow at once, back to back, but keep
        // their gaps from the one that went out late.
        {"one write stalls",
         DryRunClock::kExactReadBudget,
         1200,
         1,
         {0, 1200, 1700, 2200},
         {700, 0, 1}},
        // Each wait overshoots by 11 ms: the thread was held up while it waited.
        {"waits that end late", 0, 0, 0, {0, 511, 1022, 1533}, {33, 3, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PlayHarness h;
        // Due at 0, 500, 1,000 and 1,500 ms.
        h.Load(TrackWriter()
                   .SysEx(0, {1})
                   .SysEx(480, {2})
                   .SysEx(480, {3})
                   .SysEx(480, {4})
                   .EndOfTrack()
                   .Events());
        DryRunClock clock(c.exactReads);
        TimedPort port(clock, c.writeMs, c.slowWrites);
        clock.StartPlay();
        h.player->PlayThrough(&port, clock, h.progress, kTempo);
        EXPECT_EQ(h.player->m_nError, kReaderOk);
        EXPECT_EQ(port.sentAt, c.sentAt);
        EXPECT_EQ(h.player->m_Moves.movedMs, c.moves.movedMs);
        EXPECT_EQ(h.player->m_Moves.heldUp, c.moves.heldUp);
        EXPECT_EQ(h.player->m_Moves.slowWrites, c.moves.slowWrites);

        // The dry run keeps the file's due times, whatever its clock does.
        TimedPort dry(clock, c.writeMs, c.slowWrites);
        clock.StartPlay();
        h.player->PlayThrough(&dry, clock, h.progress, kTempo, StallRule::kKeepDueTimes);
        EXPECT_EQ(h.player->m_Moves.Stalls(), 0u);
        EXPECT_EQ(h.player->m_Moves.movedMs, 0u);
    }
}

TEST(VexDataPlayTiming, TheTickCounterWrappingDuringAPlayDoesNotDisturbTheWaits) {
    PlayHarness h(0xFFFFFFFFu - 255);  // wraps 256 ms into the play
    // Due at 0, 100 and 1,000 ms.
    h.Load(TrackWriter().SysEx(0, {1}).SysEx(96, {2}).SysEx(864, {3}).EndOfTrack().Events(), 480);
    h.Play();
    EXPECT_EQ(h.player->m_nError, kReaderOk);
    const uint32_t due[] = {0, 100, 1000};
    ASSERT_EQ(h.port.Calls().size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_GE(h.WriteTime(i), due[i]) << "write " << i;
        EXPECT_LE(h.WriteTime(i), due[i] + 3) << "write " << i;
    }
    EXPECT_LT(h.clock.Peek(), 2000u);  // the counter did wrap
}

TEST(VexDataPlayTiming, ASysExCutOffInItsLengthGoesOutAsF0AloneWhenDue) {
    PlayHarness h;
    h.Load({0x87, 0x40, 0xF0, 0x81});  // delta 960, then a length field the track cuts off
    h.Play();
    EXPECT_EQ(h.player->m_nError, kReaderMalformed);
    ASSERT_EQ(h.port.Calls().size(), 1u);
    EXPECT_EQ(h.port.AllBytes(), (std::vector<uint8_t>{0xF0}));
    EXPECT_GE(h.WriteTime(0), 1000u);
    EXPECT_LE(h.WriteTime(0), 1003u);
}

}  // namespace
}  // namespace tern::test
