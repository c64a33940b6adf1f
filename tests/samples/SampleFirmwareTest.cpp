// The sample firmware, written by the generator, read back by the reader: two independent
// codings of the format have to agree on every event.
#include "samples/SampleFirmware.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "engine/SMF.h"
#include "tests/support/SmfImage.h"

namespace tern {
namespace {

struct WalkedSysEx {
    uint32_t ticks;
    samples::Bytes data;
};

// Walks track 0 with the readers up to the end-of-track event.
std::vector<WalkedSysEx> WalkTrack(CSMF& smf, bool& reachedEnd) {
    std::vector<WalkedSysEx> found;
    uint32_t pos = CSMF::kChunkHeaderSize;
    uint32_t ticks = 0;
    reachedEnd = false;
    while (!reachedEnd && smf.m_nError == 0 && pos < smf.m_Track[0].dwLength) {
        ticks += smf.ReadVarLen(pos, 0);
        const uint8_t status = smf.ReadByte(pos, 0);
        const uint32_t length = smf.GetEventLength(status, pos, 0);
        if (length == 0 || smf.m_nError != 0) {
            break;
        }
        const uint32_t next = pos + length;
        if (status == 0xF0) {
            const uint32_t size = smf.ReadVarLen(pos, 0);
            const uint8_t* data = smf.m_pData.get() + smf.m_Track[0].dwOffset + pos;
            found.push_back({ticks, samples::Bytes(data, data + size)});
        } else if (status == 0xFF) {
            reachedEnd = smf.ReadByte(pos, 0) == 0x2F;
        }
        pos = next;
    }
    return found;
}

TEST(SampleFirmware, HoldsTheBlockSizesThatExerciseEveryWritePiece) {
    const auto sample = samples::BuildSampleFirmware();
    ASSERT_EQ(sample.sysex.size(), 64u);
    size_t empty = 0, justUnderAPiece = 0, overAPiece = 0;
    for (const auto& e : sample.sysex) {
        empty += e.data.empty();
        justUnderAPiece += e.data.size() == 4095;
        overAPiece += e.data.size() > 4096;
    }
    EXPECT_GE(empty, 1u);
    EXPECT_GE(justUnderAPiece, 1u);
    EXPECT_GE(overAPiece, 1u);
    // About 40 ms apart at 480 ticks per quarter note and 500,000 us per quarter note.
    for (size_t i = 1; i < sample.sysex.size(); ++i) {
        const uint32_t gapTicks = sample.sysex[i].ticks - sample.sysex[i - 1].ticks;
        const double gapMs = gapTicks * 500000.0 / (samples::kSampleDivision * 1000.0);
        EXPECT_NEAR(gapMs, 40.0, 1.0) << "block " << i;
    }
}

TEST(SampleFirmware, TheReaderFindsEveryBlockAtItsTimeAndTheEnd) {
    const auto sample = samples::BuildSampleFirmware();
    CSMF smf;
    test::SetImage(smf, sample.file);
    ASSERT_TRUE(smf.ParseChunks());
    EXPECT_EQ(smf.m_wFormat, 0);
    EXPECT_EQ(smf.m_wDivision, samples::kSampleDivision);

    bool reachedEnd = false;
    const auto walked = WalkTrack(smf, reachedEnd);
    EXPECT_TRUE(reachedEnd);
    EXPECT_EQ(smf.m_nError, 0);
    ASSERT_EQ(walked.size(), sample.sysex.size());
    for (size_t i = 0; i < walked.size(); ++i) {
        EXPECT_EQ(walked[i].ticks, sample.sysex[i].ticks) << "block " << i;
        EXPECT_EQ(walked[i].data, sample.sysex[i].data) << "block " << i;
    }
}

TEST(SampleFirmware, TheBuiltFileIsTheGeneratorsOutput) {
    std::ifstream in(TERN_SAMPLE_FIRMWARE, std::ios::binary);
    ASSERT_TRUE(in) << TERN_SAMPLE_FIRMWARE;
    const samples::Bytes onDisk((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
    EXPECT_EQ(onDisk, samples::BuildSampleFirmware().file);
}

}  // namespace
}  // namespace tern
