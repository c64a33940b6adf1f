// The track readers and event lengths over a single track built from raw event bytes;
// the track's first event byte is at position 8.
#include <gtest/gtest.h>

#include "engine/SMF.h"
#include "status/ReaderError.h"
#include "tests/support/SmfImage.h"

namespace tern {
namespace {

using samples::Bytes;

constexpr uint32_t kFirst = CSMF::kChunkHeaderSize;

struct VarLenCase {
    Bytes bytes;
    uint32_t value;
    uint32_t consumed;
};

TEST(SmfReadVarLen, DecodesQuantitiesAndStopsAfterTheLastByte) {
    const VarLenCase cases[] = {
        {{0x00}, 0, 1},
        {{0x7F}, 127, 1},
        {{0x81, 0x00}, 128, 2},
        {{0xFF, 0x7F}, 16383, 2},
        {{0x81, 0x80, 0x80, 0x00}, 0x200000, 4},
        {{0xFF, 0xFF, 0xFF, 0x7F}, 0x0FFFFFFF, 4},
        // Five and more bytes: the groups that do not fit in 32 bits are lost.
        {{0x8F, 0xFF, 0xFF, 0xFF, 0x7F}, 0xFFFFFFFF, 5},
        {{0x81, 0x80, 0x80, 0x80, 0x80, 0x05}, 5, 6},
        {{0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x01}, 1, 8},
    };
    for (const VarLenCase& c : cases) {
        CSMF smf;
        Bytes events = c.bytes;
        events.push_back(0x42);  // the quantity must stop before this byte
        test::SetSingleTrack(smf, events);
        uint32_t pos = kFirst;
        EXPECT_EQ(smf.ReadVarLen(pos, 0), c.value) << testing::PrintToString(c.bytes);
        EXPECT_EQ(pos, kFirst + c.consumed);
        EXPECT_EQ(smf.m_nError, kReaderOk);
    }
}

TEST(SmfReadVarLen, CutOffByTheEndOfTheTrackFailsWhereTheReadWasTried) {
    for (const Bytes& events : {Bytes{0x81}, Bytes{0xFF, 0xFF, 0xFF}, Bytes{}}) {
        CSMF smf;
        test::SetSingleTrack(smf, events);
        uint32_t pos = kFirst;
        EXPECT_EQ(smf.ReadVarLen(pos, 0), 0u);
        EXPECT_EQ(smf.m_nError, kReaderMalformed);
        EXPECT_EQ(pos, kFirst + events.size());
    }
}

TEST(SmfReadByteAndDword, ReadUpToTheLastByteAndNoFurther) {
    CSMF smf;
    test::SetSingleTrack(smf, {0x12, 0x34, 0x56, 0x78, 0x9A});
    const uint32_t end = smf.m_Track[0].dwLength;  // 13

    uint32_t pos = end - 1;
    EXPECT_EQ(smf.ReadByte(pos, 0), 0x9A);
    EXPECT_EQ(pos, end);
    EXPECT_EQ(smf.ReadByte(pos, 0), 0);
    EXPECT_EQ(smf.m_nError, kReaderMalformed);
    EXPECT_EQ(pos, end);  // left where it was

    smf.m_nError = kReaderOk;
    pos = end - 4;
    EXPECT_EQ(smf.ReadDword(pos, 0), 0x3456789Au);
    EXPECT_EQ(pos, end);
    pos = end - 3;
    EXPECT_EQ(smf.ReadDword(pos, 0), 0u);
    EXPECT_EQ(smf.m_nError, kReaderMalformed);
    EXPECT_EQ(pos, end - 3);
}

TEST(SmfReadByteAndDword, PositionsNearTheTopOfTheRangeCannotWrapIntoTheTrack) {
    CSMF smf;
    test::SetSingleTrack(smf, {0x00, 0xFF, 0x2F, 0x00});
    for (uint32_t start : {0xFFFFFFFFu, 0xFFFFFFFDu, 0xFFFFFFFCu}) {
        uint32_t pos = start;
        smf.m_nError = kReaderOk;
        EXPECT_EQ(smf.ReadDword(pos, 0), 0u);
        EXPECT_EQ(smf.m_nError, kReaderMalformed);
        EXPECT_EQ(smf.ReadByte(pos, 0), 0u);
        EXPECT_EQ(pos, start);
    }
}

TEST(SmfReaders, TrackEntriesOutsideTheTableOrWithoutImageReadNothing) {
    CSMF smf;
    test::SetSingleTrack(smf, {0x00, 0xFF, 0x2F, 0x00});
    for (int track : {-1, 1, 15, 16, 1000}) {
        uint32_t pos = kFirst;
        smf.m_nError = kReaderOk;
        EXPECT_EQ(smf.ReadByte(pos, track), 0) << track;
        EXPECT_EQ(smf.m_nError, kReaderMalformed) << track;
        EXPECT_EQ(smf.GetEventLength(0x90, kFirst, track), 0u) << track;
    }
    // An entry that claims more than the image holds is refused as well.
    smf.m_Track[1] = SMFTRACK{0, smf.m_dwSize + 100};
    uint32_t pos = smf.m_dwSize;
    EXPECT_EQ(smf.ReadByte(pos, 1), 0);
    EXPECT_EQ(smf.m_nError, kReaderMalformed);
    // A meta event at the top position: its length field lies past the track, not at its start
    // (the "MTrk" tag, whose 'M' would read as a length that fits in a long track).
    test::SetSingleTrack(smf, Bytes(100, 0x00));
    smf.m_nError = kReaderOk;
    EXPECT_EQ(smf.GetEventLength(0xFF, UINT32_MAX, 0), 0u);
    EXPECT_EQ(smf.m_nError, kReaderMalformed);
}

struct EventCase {
    const char* name;
    uint8_t status;
    Bytes after;  // the track bytes from the position handed to GetEventLength on
    uint32_t length;
    int32_t error;
};

void PrintTo(const EventCase& c, std::ostream* os) {
    *os << c.name;
}

// Length 200 as 81 48, then 200 data bytes.
Bytes TwoByteLengthSysEx() {
    Bytes bytes = {0x81, 0x48};
    bytes.resize(2 + 200, 0x11);
    return bytes;
}

class SmfEventLength : public testing::TestWithParam<EventCase> {};

TEST_P(SmfEventLength, MeasuresFromThePositionToTheEventsEnd) {
    const EventCase& c = GetParam();
    CSMF smf;
    test::SetSingleTrack(smf, c.after);
    ASSERT_EQ(smf.m_nError, kReaderOk);
    EXPECT_EQ(smf.GetEventLength(c.status, kFirst, 0), c.length);
    EXPECT_EQ(smf.m_nError, c.error);
}

INSTANTIATE_TEST_SUITE_P(
    StatusClasses, SmfEventLength,
    testing::Values(EventCase{"NoteOff", 0x80, {0x3C, 0x00}, 2, kReaderOk},
                    EventCase{"NoteOnAnyChannel", 0x93, {0x3C, 0x40}, 2, kReaderOk},
                    EventCase{"PolyPressure", 0xA1, {0x3C, 0x10}, 2, kReaderOk},
                    EventCase{"Controller", 0xBF, {0x07, 0x64}, 2, kReaderOk},
                    EventCase{"ProgramChange", 0xC5, {0x05}, 1, kReaderOk},
                    EventCase{"ChannelPressure", 0xD0, {0x40}, 1, kReaderOk},
                    EventCase{"PitchBend", 0xE0, {0x00, 0x40}, 2, kReaderOk},
                    EventCase{"EndOfTrackMeta", 0xFF, {0x2F, 0x00}, 2, kReaderOk},
                    EventCase{"TempoMeta", 0xFF, {0x51, 0x03, 0x07, 0xA1, 0x20}, 5, kReaderOk},
                    EventCase{"SysExFiveBytes", 0xF0, {0x05, 1, 2, 3, 4, 0xF7}, 6, kReaderOk},
                    EventCase{"SysExEmpty", 0xF0, {0x00}, 1, kReaderOk},
                    EventCase{"SysExTwoByteLength", 0xF0, TwoByteLengthSysEx(), 202, kReaderOk},
                    EventCase{"Escape", 0xF7, {0x02, 0x7F, 0x7F}, 3, kReaderOk},
                    EventCase{"SongPosition", 0xF1, {0x00, 0x00}, 0, kReaderMalformed},
                    EventCase{"SongSelect", 0xF3, {0x00}, 0, kReaderMalformed},
                    EventCase{"TuneRequest", 0xF6, {0x00}, 0, kReaderMalformed},
                    EventCase{"TimingClock", 0xF8, {0x00}, 0, kReaderMalformed},
                    EventCase{"Reset0xFE", 0xFE, {0x00}, 0, kReaderMalformed},
                    EventCase{"DataByteAsStatus", 0x40, {0x00, 0x00}, 0, kReaderMalformed},
                    EventCase{"NoStatusYet", 0x00, {0x00, 0x00}, 0, kReaderMalformed},
                    // Events that do not fit in the track.
                    EventCase{"NoteOnCutOff", 0x90, {0x3C}, 0, kReaderMalformed},
                    EventCase{"ProgramChangeAtEnd", 0xC0, {}, 0, kReaderMalformed},
                    EventCase{"SysExDataPastEnd", 0xF0, {0x0A, 1, 2, 3}, 0, kReaderMalformed},
                    EventCase{"SysExLengthWraps32Bits",
                              0xF0,
                              {0x8F, 0xFF, 0xFF, 0xFF, 0x7F, 1, 2},
                              0,
                              kReaderMalformed},
                    EventCase{"MetaLengthPastEnd", 0xFF, {0x2F, 0x05}, 0, kReaderMalformed},
                    // A cut-off length field: the event ends where the read stopped, which still
                    // fits, so a length comes back with the error already set.
                    EventCase{"MetaLengthMissing", 0xFF, {0x2F}, 1, kReaderMalformed},
                    EventCase{"MetaLengthCutOff", 0xFF, {0x2F, 0x81}, 2, kReaderMalformed},
                    EventCase{"SysExLengthCutOff", 0xF0, {0x81}, 1, kReaderMalformed},
                    EventCase{"SysExAtTrackEnd", 0xF0, {}, 0, kReaderMalformed},
                    EventCase{"MetaAtTrackEnd", 0xFF, {}, 0, kReaderMalformed}),
    [](const testing::TestParamInfo<EventCase>& info) { return info.param.name; });

TEST(SmfEventLength, PositionsPastTheTrackNeverWrap) {
    CSMF smf;
    test::SetSingleTrack(smf, {0x00, 0xFF, 0x2F, 0x00});
    for (uint8_t status : {0x90, 0xC0, 0xF0, 0xFF}) {
        smf.m_nError = kReaderOk;
        EXPECT_EQ(smf.GetEventLength(status, 0xFFFFFFFFu, 0), 0u) << int{status};
        EXPECT_EQ(smf.m_nError, kReaderMalformed);
    }
}

}  // namespace
}  // namespace tern
