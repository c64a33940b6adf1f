// What reaches the port when a well-formed track plays: the pieces of each message, the
// buffers they are handed in, the progress positions, and a play's independence from the
// one before it.
#include "engine/VexDataPlay.h"

#include <gtest/gtest.h>

#include <cstring>

#include "samples/SampleFirmware.h"
#include "status/ReaderError.h"
#include "tests/engine/PlayHarness.h"

namespace tern::test {
namespace {

using samples::Bytes;
using samples::TrackWriter;

TEST(VexDataPlayPieces, AMessageGoesOutAsF0AndItsDataInWritesOfAtMost4096Bytes) {
    struct Case {
        uint32_t dataBytes;
        std::vector<uint32_t> writes;
    };
    const Case cases[] = {
        {0, {1}},
        {100, {101}},
        {4095, {4096}},
        {4096, {4096, 1}},
        {10000, {4096, 4096, 1809}},
        {3 * 4096 + 4095, {4096, 4096, 4096, 4096}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dataBytes);
        PlayHarness h;
        const Bytes data = Pattern(c.dataBytes);
        h.Load(TrackWriter().SysEx(0, data).EndOfTrack().Events());
        h.port.AcceptWith(S_FALSE);  // not negative: accepted
        h.Play();

        EXPECT_EQ(h.player->m_nError, kReaderOk);
        EXPECT_EQ(h.port.Counts(), c.writes);
        EXPECT_EQ(h.port.AllBytes(), OnPort(data));
        for (const auto& call : h.port.Calls()) {
            EXPECT_EQ(call.flags, 0u);
            EXPECT_EQ(call.countAgain, call.count);
        }
        EXPECT_EQ(h.progress.Positions().back(), 100);
        EXPECT_EQ(h.port.RefCount(), 1u);  // borrowed, never released
    }
}

TEST(VexDataPlayPieces, BuffersRotateAcrossMessagesAndStayUntouchedForFifteenWrites) {
    TrackWriter track;
    Bytes expected;
    const uint32_t sizes[] = {10000, 0, 4096, 5, 10000, 4095, 7, 10000, 100, 4096, 1, 20000};
    uint8_t seed = 0;
    for (int round = 0; round < 2; ++round) {
        for (const uint32_t size : sizes) {
            const Bytes data = Pattern(size, ++seed);
            track.SysEx(3, data);
            const auto bytes = OnPort(data);
            expected.insert(expected.end(), bytes.begin(), bytes.end());
        }
    }
    PlayHarness h;
    h.Load(track.EndOfTrack().Events());
    h.port.VerifyHeldBuffers(CVexDataPlay::kBufferCount - 1);
    h.Play();

    EXPECT_EQ(h.player->m_nError, kReaderOk);
    EXPECT_EQ(h.port.AllBytes(), expected);
    constexpr size_t kRing = 16;  // the writes go round sixteen buffers, no more, no fewer
    ASSERT_GT(h.port.Calls().size(), 2 * kRing);
    for (size_t i = 0; i < h.port.Calls().size(); ++i) {
        EXPECT_EQ(h.port.Calls()[i].buffer, h.player->m_Buffer[i % kRing]) << "write " << i;
    }
    EXPECT_EQ(h.port.ClobberedBuffers(), 0u);
}

TEST(VexDataPlayPieces, ASecondPlayStartsAfreshAndLeavesTheImageAsItWas) {
    PlayHarness h;
    // Running status, ticks and the ring index all carry state through a play.
    h.Load(TrackWriter()
               .SysEx(480, Pattern(5000))
               .Raw({0x81, 0x70, 0x03, 0x11, 0x22, 0x33})  // running status: another SysEx
               .Channel(10, {0x90, 0x3C, 0x40})
               .SysEx(0, Pattern(3))
               .EndOfTrack()
               .Events());
    const Bytes image(h.player->m_pData.get(), h.player->m_pData.get() + h.player->m_dwSize);

    h.Play();
    const auto firstCalls = h.port.Calls();
    const auto firstBytes = h.port.AllBytes();
    const auto firstPositions = h.progress.Positions();
    const uint32_t firstEnd = h.clock.Peek();

    RecordingPort second;
    second.RecordTicks(true);
    g_pFirmwarePort = &second;
    RecordingProgress progress;
    h.player->Play(progress, kTempo);

    EXPECT_EQ(h.player->m_nError, kReaderOk);
    EXPECT_EQ(second.AllBytes(), firstBytes);
    EXPECT_EQ(progress.Positions(), firstPositions);
    ASSERT_EQ(second.Calls().size(), firstCalls.size());
    for (size_t i = 0; i < firstCalls.size(); ++i) {
        EXPECT_EQ(second.Calls()[i].buffer, firstCalls[i].buffer);
        // Due times count from the second play's own start.
        EXPECT_EQ(second.Calls()[i].tick - firstEnd, firstCalls[i].tick - kClockStart)
            << "write " << i;
    }
    EXPECT_EQ(Bytes(h.player->m_pData.get(), h.player->m_pData.get() + h.player->m_dwSize), image);
}

TEST(VexDataPlayPieces, TheSampleFirmwareReachesThePortWholeAndOnTime) {
    const samples::SampleFirmware sample = samples::BuildSampleFirmware();
    PlayHarness h;
    h.LoadFile(sample.file);
    h.Play();

    EXPECT_EQ(h.player->m_nError, kReaderOk);
    Bytes expected;
    for (const auto& event : sample.sysex) {
        const auto bytes = OnPort(event.data);
        expected.insert(expected.end(), bytes.begin(), bytes.end());
    }
    EXPECT_EQ(h.port.AllBytes(), expected);

    // The data bytes are 7-bit apart from a closing 0xF7, so a leading 0xF0 marks a message.
    size_t message = 0;
    for (size_t i = 0; i < h.port.Calls().size(); ++i) {
        if (h.port.Bytes(i)[0] != 0xF0) {
            continue;
        }
        ASSERT_LT(message, sample.sysex.size());
        // 500,000 us per quarter note at 480 ticks per quarter note: 25/24 ms per tick.
        const uint32_t due = sample.sysex[message].ticks * 25 / 24;
        EXPECT_GE(h.WriteTime(i), due) << "message " << message;
        EXPECT_LE(h.WriteTime(i), due + 3) << "message " << message;
        ++message;
    }
    EXPECT_EQ(message, sample.sysex.size());

    const auto positions = h.progress.Positions();
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_EQ(positions.back(), 100);
}

TEST(VexDataPlayProgress, ARangeOf0To100ComesFirstThenAPositionAfterEachEvent) {
    PlayHarness h;
    h.Load(TrackWriter()
               .Text(0, "fw")                           // 00 FF 01 02 66 77: ends at 14
               .SysEx(0, Pattern(100))                  // 103 bytes: ends at 117
               .Channel(0, {0xC0, 0x01})                // ends at 120
               .Raw({0x00, 0xF0, 0x05, 1, 2, 3, 4, 5})  // ends at 128
               .EndOfTrack()                            // ends at 132
               .Events());
    h.Play();
    EXPECT_EQ(h.player->m_nError, kReaderOk);
    using Kind = RecordingProgress::Kind;
    const std::vector<RecordingProgress::Call> expected = {
        {Kind::Range, 0, 100}, {Kind::Pos, 10, 0}, {Kind::Pos, 88, 0},
        {Kind::Pos, 90, 0},    {Kind::Pos, 96, 0}, {Kind::Pos, 100, 0},
    };
    EXPECT_EQ(h.progress.Calls(), expected);
}

// A track over 42.9 MB: next * 100 no longer fits in 32 bits.
TEST(VexDataPlayProgress, PositionsInAVeryLongTrackDoNotOverflow) {
    constexpr uint32_t kText = 45'000'000;
    Bytes head = {0x00, 0xFF, 0x01};
    samples::AppendVarLen(head, kText);  // four bytes
    const Bytes tail = TrackWriter().EndOfTrack().Events();
    const uint32_t eventsSize = static_cast<uint32_t>(head.size()) + kText + 4;

    Bytes prefix = samples::MakeHeader(0, 1, kDivision);
    prefix.insert(prefix.end(), {'M', 'T', 'r', 'k'});
    samples::AppendBigEndian32(prefix, eventsSize);
    prefix.insert(prefix.end(), head.begin(), head.end());

    PlayHarness h;
    const uint32_t size = static_cast<uint32_t>(prefix.size()) + kText + 4;
    h.player->m_pData = tern::platform::AllocateImage(size);  // the text is zeros
    std::memcpy(h.player->m_pData.get(), prefix.data(), prefix.size());
    std::memcpy(h.player->m_pData.get() + size - tail.size(), tail.data(), tail.size());
    h.player->m_dwSize = size;
    ASSERT_TRUE(h.player->ParseChunks());

    h.Play();
    EXPECT_EQ(h.player->m_nError, kReaderOk);
    // The text ends four bytes before the track does.
    EXPECT_EQ(h.progress.Positions(), (std::vector<int>{99, 100}));
}

}  // namespace
}  // namespace tern::test
