#include "engine/PlayFailure.h"

#include <cstdio>

#include "engine/SmfBytes.h"
#include "engine/TrackEvent.h"
#include "status/ReaderError.h"

namespace tern {
namespace {

constexpr int kTrack = 0;

uint32_t TrackLength(const CSMF& reader) {
    return reader.m_Track[kTrack].dwLength;
}

// The event at `pos`, read afresh: the explanation runs after the play has ended.
TrackEvent ReadEvent(CSMF& reader, uint32_t pos, uint8_t runningStatus) {
    reader.m_nError = kReaderInProgress;
    return ReadTrackEvent(reader, kTrack, pos, runningStatus);
}

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

// Bytes of the track from `pos` to its end.
uint32_t Remaining(const CSMF& reader, uint32_t pos) {
    return pos < TrackLength(reader) ? TrackLength(reader) - pos : 0;
}

// A length field at `pos`: its value and where its data begin, or nothing when the end of
// the track cuts it off.
struct LengthField {
    bool cut;
    uint32_t value;
    uint32_t dataStart;
};

LengthField ReadLength(CSMF& reader, uint32_t pos) {
    reader.m_nError = kReaderInProgress;
    const uint32_t value = reader.ReadVarLen(pos, kTrack);
    return {reader.m_nError != kReaderInProgress, value, pos};
}

std::string StatusName(const TrackEvent& e) {
    const char* running = e.ownStatus ? "" : " under running status";
    switch (e.status) {
        case smf::kSysEx:
            return "its SysEx (" + Hex(e.status) + running + ")";
        case smf::kEscape:
            return "its escape event (" + Hex(e.status) + running + ")";
        case smf::kMeta:
            return "its meta event (" + Hex(e.status) + running + ")";
        default:
            return "its status " + Hex(e.status) + running;
    }
}

std::string WhyBroken(CSMF& reader, const TrackEvent& e) {
    if (e.status < smf::kStatusBit) {
        uint32_t pos = e.body;
        return "it begins with data byte " + Hex(reader.ReadByte(pos, kTrack)) +
               " and no status byte has come before it";
    }
    const bool lengthPrefixed =
        e.status == smf::kSysEx || e.status == smf::kEscape || e.status == smf::kMeta;
    if (!lengthPrefixed && e.status >= smf::kSysEx) {
        return "status byte " + Hex(e.status) + " is not an event the player accepts";
    }
    if (!lengthPrefixed) {
        const uint32_t needs = (e.status & 0xF0) == 0xC0 || (e.status & 0xF0) == 0xD0 ? 1 : 2;
        return StatusName(e) + " needs " + std::to_string(needs) + " data byte" +
               (needs == 1 ? "" : "s") + " but only " + std::to_string(Remaining(reader, e.body)) +
               " remain in the track";
    }
    if (e.status == smf::kMeta && e.body >= TrackLength(reader)) {
        return "the track ends right after its meta status byte, before the meta type";
    }
    const LengthField length = ReadLength(reader, e.status == smf::kMeta ? e.body + 1 : e.body);
    if (length.cut) {
        return StatusName(e) + " has its length field cut off by the end of the track" +
               (e.status == smf::kSysEx ? ", so 0xF0 would go out alone" : "");
    }
    return StatusName(e) + " declares " + std::to_string(length.value) + " bytes but only " +
           std::to_string(Remaining(reader, length.dataStart)) + " follow in the track" +
           (e.status == smf::kSysEx ? ", so none of it would be sent" : "");
}

std::string Why(CSMF& reader, const TrackEvent& e) {
    if (e.deltaCut) {
        return e.start >= TrackLength(reader)
                   ? "the track ends where this event should begin, and no end-of-track "
                     "event came before"
                   : "its delta time is cut off by the end of the track";
    }
    if (e.endsAfterDelta) {
        return "the track ends right after its delta time, and no end-of-track event came "
               "before";
    }
    if (e.broken) {
        return WhyBroken(reader, e);
    }
    return "the player stopped at this event";  // only if the reader and player disagree
}

PlayFailure Explain(CSMF& reader, uint32_t eventsFinished) {
    if (reader.m_wDivision == 0) {
        return {0, 0, 12,
                "the header's division is 0 ticks per quarter note, so no event has a due time "
                "and nothing would be sent"};
    }
    // Every finished event had its progress update, a malformed one included; the player
    // stopped at the first malformed event, or at the delta time after the last one finished.
    uint32_t pos = CSMF::kChunkHeaderSize;
    uint8_t runningStatus = 0;
    uint32_t index = 0;
    TrackEvent e = ReadEvent(reader, pos, runningStatus);
    while (index < eventsFinished && !e.deltaCut && !e.endsAfterDelta && !e.broken) {
        runningStatus = e.status;
        pos = e.next;
        ++index;
        e = ReadEvent(reader, pos, runningStatus);
    }
    return {index + 1, e.start, reader.m_Track[kTrack].dwOffset + e.start, Why(reader, e)};
}

}  // namespace

PlayFailure ExplainPlayFailure(CSMF& reader, uint32_t eventsFinished) {
    const int32_t saved = reader.m_nError;
    PlayFailure failure = Explain(reader, eventsFinished);
    reader.m_nError = saved;
    return failure;
}

std::string Describe(const PlayFailure& failure) {
    if (failure.eventNumber == 0) {
        return failure.why;
    }
    return "event " + std::to_string(failure.eventNumber) + " at offset " +
           std::to_string(failure.trackOffset) + " of track 0 (file offset " +
           std::to_string(failure.fileOffset) + "): " + failure.why;
}

}  // namespace tern
