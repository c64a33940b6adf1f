// Header and chunk rules, from raw byte fixtures: what the parse itself reports, and what
// a load of the same bytes from disk reports.
#include <gtest/gtest.h>

#include "engine/SMF.h"
#include "samples/SmfWriter.h"
#include "status/ReaderError.h"
#include "tests/support/SmfImage.h"
#include "tests/support/TempDir.h"

namespace tern {
namespace {

using samples::AppendBigEndian32;
using samples::Bytes;
using samples::MakeHeader;
using samples::MakeTrackChunk;

const Bytes kEndOfTrack = {0x00, 0xFF, 0x2F, 0x00};

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

Bytes Repeat(const Bytes& part, int times) {
    Bytes out;
    for (int i = 0; i < times; ++i) {
        out.insert(out.end(), part.begin(), part.end());
    }
    return out;
}

Bytes DropLast(Bytes bytes) {
    bytes.pop_back();
    return bytes;
}

// A track chunk whose length field says `declared` whatever follows.
Bytes ChunkDeclaring(uint32_t declared, const Bytes& events) {
    Bytes out = {'M', 'T', 'r', 'k'};
    AppendBigEndian32(out, declared);
    out.insert(out.end(), events.begin(), events.end());
    return out;
}

struct ParseCase {
    const char* name;
    Bytes file;
    int32_t parseError;  // m_nError after ParseChunks; 0 means the parse succeeds
    SMFFAULT::Kind fault = SMFFAULT::kNone;  // what a front end is told was wrong
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << c.name;
}

class SmfParse : public testing::TestWithParam<ParseCase> {};

TEST_P(SmfParse, ParseAndLoadAgree) {
    const ParseCase& c = GetParam();
    CSMF smf;
    test::SetImage(smf, c.file);
    EXPECT_EQ(smf.ParseChunks(), c.parseError == kReaderOk);
    EXPECT_EQ(smf.m_nError, c.parseError);
    EXPECT_EQ(smf.m_fault.kind, c.fault);

    // From disk every failed parse ends as a format error, and the image stays held.
    test::TempDir dir;
    CSMF loaded;
    const bool ok = loaded.LoadFile(dir.Write("f.mid", c.file));
    EXPECT_EQ(ok, c.parseError == kReaderOk);
    EXPECT_EQ(loaded.m_nError, ok ? kReaderOk : kReaderFormat);
    EXPECT_EQ(loaded.m_fault.kind, c.fault);
    if (!ok && !c.file.empty()) {
        EXPECT_NE(loaded.m_pData, nullptr);
        EXPECT_EQ(loaded.m_dwSize, c.file.size());
    }
}

const Bytes kTrack = MakeTrackChunk(kEndOfTrack);

INSTANTIATE_TEST_SUITE_P(
    HeaderAndChunks, SmfParse,
    testing::Values(
        // A header must be 14 bytes; 13 bytes cannot hold it.
        ParseCase{"Header13Bytes", DropLast(MakeHeader(0, 1, 480)), kReaderMalformed,
                  SMFFAULT::kNoHeader},
        // A valid header alone: the first chunk tag cannot be read.
        ParseCase{"HeaderOnly", MakeHeader(0, 1, 480), kReaderMalformed, SMFFAULT::kChunkMissing},
        ParseCase{"HeaderLength7",
                  Concat({{'M', 'T', 'h', 'd', 0, 0, 0, 7, 0, 0, 0, 1, 1, 0xE0, 0}, kTrack}),
                  kReaderMalformed, SMFFAULT::kNoHeader},
        ParseCase{"WrongHeaderTag",
                  Concat({{'R', 'I', 'F', 'F', 0, 0, 0, 6, 0, 0, 0, 1, 1, 0xE0}, kTrack}),
                  kReaderMalformed, SMFFAULT::kNoHeader},
        ParseCase{"Format3", Concat({MakeHeader(3, 1, 480), kTrack}), kReaderFormat,
                  SMFFAULT::kFormat},
        ParseCase{"Format0xFFFF", Concat({MakeHeader(0xFFFF, 1, 480), kTrack}), kReaderFormat,
                  SMFFAULT::kFormat},
        ParseCase{"Format1", Concat({MakeHeader(1, 1, 480), kTrack}), kReaderOk},
        ParseCase{"Format2", Concat({MakeHeader(2, 1, 480), kTrack}), kReaderOk},
        ParseCase{"ZeroTracks", Concat({MakeHeader(0, 0, 480), kTrack}), kReaderMalformed,
                  SMFFAULT::kTrackCount},
        ParseCase{"SixteenTracks", Concat({MakeHeader(1, 16, 480), Repeat(kTrack, 16)}), kReaderOk},
        ParseCase{"SeventeenTracks", Concat({MakeHeader(1, 17, 480), Repeat(kTrack, 17)}),
                  kReaderMalformed, SMFFAULT::kTrackCount},
        ParseCase{"MaxTracks65535", Concat({MakeHeader(1, 0xFFFF, 480), kTrack}), kReaderMalformed,
                  SMFFAULT::kTrackCount},
        ParseCase{"NegativeDivisionTakenAsTicks", Concat({MakeHeader(0, 1, 0xE728), kTrack}),
                  kReaderOk},
        ParseCase{"ChunkEndsExactlyAtEndOfFile",
                  Concat({MakeHeader(0, 1, 480), ChunkDeclaring(4, kEndOfTrack)}), kReaderOk},
        ParseCase{"ChunkOneByteLongerThanFile",
                  Concat({MakeHeader(0, 1, 480), ChunkDeclaring(5, kEndOfTrack)}), kReaderMalformed,
                  SMFFAULT::kChunkLength},
        ParseCase{"EmptyChunk", Concat({MakeHeader(0, 1, 480), ChunkDeclaring(0, {})}), kReaderOk},
        // Lengths that would wrap 32 bits back into the file must not pass.
        ParseCase{"ChunkLengthMax",
                  Concat({MakeHeader(0, 1, 480), ChunkDeclaring(0xFFFFFFFFu, kEndOfTrack)}),
                  kReaderMalformed, SMFFAULT::kChunkLength},
        ParseCase{"ChunkLengthWrapsToStart",
                  Concat({MakeHeader(0, 1, 480), ChunkDeclaring(0xFFFFFFEAu, kEndOfTrack)}),
                  kReaderMalformed, SMFFAULT::kChunkLength},
        ParseCase{"ChunkLengthHuge",
                  Concat({MakeHeader(0, 1, 480), ChunkDeclaring(0x10000000u, kEndOfTrack)}),
                  kReaderMalformed, SMFFAULT::kChunkLength},
        // The tag is there but the length field is cut off after two bytes.
        ParseCase{"LengthFieldCutOff", Concat({MakeHeader(0, 1, 480), {'M', 'T', 'r', 'k', 0, 0}}),
                  kReaderMalformed, SMFFAULT::kChunkMissing},
        ParseCase{"TagCutOff", Concat({MakeHeader(0, 1, 480), {'M', 'T', 'r'}}), kReaderMalformed,
                  SMFFAULT::kChunkMissing},
        ParseCase{"OtherChunkWhereTrackExpected",
                  Concat({MakeHeader(0, 1, 480), {'M', 'T', 'r', 'x', 0, 0, 0, 4}, kEndOfTrack}),
                  kReaderMalformed, SMFFAULT::kChunkTag},
        ParseCase{"FewerChunksThanNamed", Concat({MakeHeader(1, 2, 480), kTrack}), kReaderMalformed,
                  SMFFAULT::kChunkMissing},
        ParseCase{"MoreChunksThanNamed", Concat({MakeHeader(0, 1, 480), kTrack, kTrack}),
                  kReaderOk},
        ParseCase{"TrailingBytes", Concat({MakeHeader(0, 1, 480), kTrack, {'j', 'u', 'n', 'k'}}),
                  kReaderOk}),
    [](const testing::TestParamInfo<ParseCase>& info) { return info.param.name; });

TEST(SmfTable, EntriesCoverEachChunkAndTheRestAreEmpty) {
    const Bytes first = {0x00, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00};  // 8 event bytes
    CSMF smf;
    test::SetImage(smf, Concat({MakeHeader(1, 2, 96), MakeTrackChunk(first), kTrack, kTrack}));
    ASSERT_TRUE(smf.ParseChunks());
    EXPECT_EQ(smf.m_wFormat, 1);
    EXPECT_EQ(smf.m_wTracks, 2);
    EXPECT_EQ(smf.m_wDivision, 96);
    EXPECT_EQ(smf.m_Track[0].dwOffset, 14u);
    EXPECT_EQ(smf.m_Track[0].dwLength, 16u);
    EXPECT_EQ(smf.m_Track[1].dwOffset, 30u);
    EXPECT_EQ(smf.m_Track[1].dwLength, 12u);
    // The third chunk is not named by the header and is never entered.
    for (int i = 2; i < CSMF::kMaxTracks; ++i) {
        EXPECT_EQ(smf.m_Track[i].dwOffset, 0u) << i;
        EXPECT_EQ(smf.m_Track[i].dwLength, 0u) << i;
    }
}

TEST(SmfTable, ParseWithoutImageClearsTheTable) {
    CSMF smf;
    test::SetImage(smf, Concat({MakeHeader(0, 1, 480), kTrack}));
    ASSERT_TRUE(smf.ParseChunks());
    smf.m_pData.reset();
    EXPECT_TRUE(smf.ParseChunks());
    EXPECT_EQ(smf.m_nError, kReaderOk);
    EXPECT_EQ(smf.m_wTracks, 0);
    EXPECT_EQ(smf.m_Track[0].dwLength, 0u);
}

}  // namespace
}  // namespace tern
