// How a play ends, for tracks that end well, badly or not at all: the outcome in m_nError,
// what reached the port, and the progress positions sent. Positions count from the chunk's
// start, so a track of events E has a length of 8 + E bytes.
#include <gtest/gtest.h>

#include "status/ReaderError.h"
#include "tests/engine/PlayHarness.h"

namespace tern::test {
namespace {

using samples::Bytes;
using samples::TrackWriter;

constexpr HRESULT kRefused = -2;  // any negative result is a failed write

struct EndingCase {
    const char* what;
    Bytes events;
    uint32_t failFrom;  // 0: every write succeeds
    int32_t error;
    std::vector<uint8_t> written;  // all bytes handed to the port, failed writes included
    std::vector<int> positions;
};

void ExpectEnding(const EndingCase& c) {
    SCOPED_TRACE(c.what);
    PlayHarness h;
    h.Load(c.events);
    h.port.FailFrom(c.failFrom, kRefused);
    h.Play();
    EXPECT_EQ(h.player->m_nError, c.error);
    EXPECT_EQ(h.port.AllBytes(), c.written);
    ASSERT_FALSE(h.progress.Calls().empty());
    EXPECT_EQ(h.progress.Calls()[0],
              (RecordingProgress::Call{RecordingProgress::Kind::Range, 0, 100}));
    EXPECT_EQ(h.progress.Positions(), c.positions);
}

const Bytes k3 = {0x01, 0x02, 0x03};
const std::vector<uint8_t> kSent3 = {0xF0, 0x01, 0x02, 0x03};

TEST(VexDataPlayEndings, FailedWritesStopThePlayAtOnce) {
    const Bytes data = Pattern(10000);
    std::vector<uint8_t> twoPieces = {0xF0, 0x01, 0xF0};
    twoPieces.insert(twoPieces.end(), data.begin(), data.begin() + 4095 + 4096);
    const EndingCase cases[] = {
        {"first piece",
         TrackWriter().SysEx(0, {0x01}).SysEx(0, data).EndOfTrack().Events(),
         1,
         kReaderInProgress,
         {0xF0, 0x01},
         {}},
        {"second piece of a message; its rest and later messages never go out",
         TrackWriter().SysEx(0, {0x01}).SysEx(0, data).SysEx(0, {0x02}).EndOfTrack().Events(),
         3,
         kReaderInProgress,
         twoPieces,
         {0}},  // 12 of 10,024 bytes
    };
    for (const EndingCase& c : cases) {
        ExpectEnding(c);
    }
}

TEST(VexDataPlayEndings, ATrackWithoutEndOfTrackNeverSucceeds) {
    const EndingCase cases[] = {
        {"the next delta time is missing",
         TrackWriter().SysEx(0, k3).Events(),
         0,
         kReaderMalformed,
         kSent3,
         {100}},
        {"the data end right after a delta time",
         TrackWriter().SysEx(0, k3).Raw({0x00}).Events(),
         0,
         kReaderInProgress,
         kSent3,
         {93}},
        {"the delta time is cut off",
         TrackWriter().SysEx(0, k3).Raw({0x81}).Events(),
         0,
         kReaderMalformed,
         kSent3,
         {93}},
        {"empty track", {}, 0, kReaderMalformed, {}, {}},
    };
    for (const EndingCase& c : cases) {
        ExpectEnding(c);
    }
}

TEST(VexDataPlayEndings, ASysExThatDoesNotFitSendsAtMostItsF0) {
    const EndingCase cases[] = {
        {"length field cut off",
         TrackWriter().SysEx(0, k3).Raw({0x00, 0xF0, 0x81}).Events(),
         0,
         kReaderMalformed,
         {0xF0, 0x01, 0x02, 0x03, 0xF0},
         {82, 100}},
        {"0xF0 is the last byte", {0x00, 0xF0}, 0, kReaderMalformed, {0xF0}, {100}},
        {"the lone 0xF0 fails: no position for it",
         TrackWriter().SysEx(0, k3).Raw({0x00, 0xF0, 0x81}).Events(),
         2,
         kReaderMalformed,
         {0xF0, 0x01, 0x02, 0x03, 0xF0},
         {82}},
        {"data run past the track", {0x00, 0xF0, 0x05, 0x01, 0x02}, 0, kReaderMalformed, {}, {76}},
        {"a length that would wrap a 32-bit end",
         {0x00, 0xF0, 0x8F, 0xFF, 0xFF, 0xFF, 0x7F, 0x01},
         0,
         kReaderMalformed,
         {},
         {62}},
    };
    for (const EndingCase& c : cases) {
        ExpectEnding(c);
    }
}

TEST(VexDataPlayEndings, MalformedEventsEndThePlayAfterOnePosition) {
    const EndingCase cases[] = {
        {"a data byte before any status", {0x00, 0x05, 0x01}, 0, kReaderMalformed, {}, {81}},
        {"status 0xF1",
         TrackWriter().Raw({0x00, 0xF1, 0x01}).EndOfTrack().Events(),
         0,
         kReaderMalformed,
         {},
         {66}},
        {"a note cut off", {0x00, 0x90, 0x3C}, 0, kReaderMalformed, {}, {90}},
        {"a meta event without its type", {0x00, 0xFF}, 0, kReaderMalformed, {}, {100}},
    };
    for (const EndingCase& c : cases) {
        ExpectEnding(c);
    }
}

TEST(VexDataPlayEndings, EndOfTrackEndsThePlayWellEvenWithABrokenLength) {
    const EndingCase cases[] = {
        {"events after it are never read",
         TrackWriter().EndOfTrack().SysEx(0, k3).Raw({0x00, 0xF1}).Events(),
         0,
         kReaderOk,
         {},
         {60}},
        {"its length cut off",
         TrackWriter().SysEx(0, k3).Raw({0x00, 0xFF, 0x2F}).Events(),
         0,
         kReaderOk,
         kSent3,
         {82, 100}},
        {"its length claims more than the track holds",
         TrackWriter().SysEx(0, k3).Raw({0x00, 0xFF, 0x2F, 0x05, 0x00}).Events(),
         0,
         kReaderOk,
         kSent3,
         {73, 84}},
    };
    for (const EndingCase& c : cases) {
        ExpectEnding(c);
    }
}

TEST(VexDataPlayEndings, RunningStatusCarriesOnAfterSysExMetaAndChannelEvents) {
    const EndingCase cases[] = {
        {"after SysEx a data byte starts another SysEx",
         TrackWriter()
             .SysEx(0, {0x11, 0x22})
             .Raw({0x00, 0x03, 0x33, 0x44, 0x55})
             .EndOfTrack()
             .Events(),
         0,
         kReaderOk,
         {0xF0, 0x11, 0x22, 0xF0, 0x33, 0x44, 0x55},
         {59, 81, 100}},
        {"after a meta event a data byte starts another meta event",
         TrackWriter().Text(0, "A").Raw({0x00, 0x2F, 0x00}).Events(),
         0,
         kReaderOk,
         {},
         {81, 100}},
        {"channel and 0xF7 events are never written",
         TrackWriter()
             .Channel(0, {0x90, 0x3C, 0x40})
             .Raw({0x00, 0x3E, 0x40})
             .Escape(0, {0x01, 0x02})
             .Raw({0x00, 0x02, 0x03, 0x04})
             .EndOfTrack()
             .Events(),
         0,
         kReaderOk,
         {},
         {42, 53, 71, 85, 100}},
    };
    for (const EndingCase& c : cases) {
        ExpectEnding(c);
    }
}

TEST(VexDataPlayEndings, ADivisionOf0EndsThePlayBeforeAnythingIsWritten) {
    PlayHarness h;
    h.Load(TrackWriter().SysEx(0, k3).SysEx(100, k3).EndOfTrack().Events(), 0);
    h.Play();
    EXPECT_EQ(h.player->m_nError, kReaderMalformed);
    EXPECT_TRUE(h.port.Calls().empty());
    EXPECT_EQ(h.progress.Calls(),
              (std::vector<RecordingProgress::Call>{{RecordingProgress::Kind::Range, 0, 100}}));
}

TEST(VexDataPlayEndings, NoFirmwarePortEndsThePlayAsAFailedWrite) {
    PlayHarness h;
    h.Load(TrackWriter().SysEx(0, k3).EndOfTrack().Events());
    g_pFirmwarePort = nullptr;
    h.Play();
    EXPECT_EQ(h.player->m_nError, kReaderInProgress);
    EXPECT_TRUE(h.port.Calls().empty());
    EXPECT_TRUE(h.progress.Positions().empty());
}

TEST(VexDataPlayEndings, APlayerWithNothingLoadedWritesNothing) {
    PlayHarness h;
    h.Play();
    EXPECT_EQ(h.player->m_nError, kReaderMalformed);
    EXPECT_TRUE(h.port.Calls().empty());
    EXPECT_TRUE(h.progress.Positions().empty());
}

}  // namespace
}  // namespace tern::test
