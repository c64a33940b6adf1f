// Writes Standard MIDI File bytes: the sample firmware generator and the tests build their
// valid files with it, and their deliberately broken ones from its pieces.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tern::samples {

using Bytes = std::vector<uint8_t>;

void AppendVarLen(Bytes& out, uint32_t value);
void AppendBigEndian16(Bytes& out, uint16_t value);
void AppendBigEndian32(Bytes& out, uint32_t value);

// The 14-byte header chunk.
Bytes MakeHeader(uint16_t format, uint16_t tracks, uint16_t division);

// "MTrk", the events' length, the events.
Bytes MakeTrackChunk(const Bytes& events);

// The events of one track, in order; each call appends one event with its delta time.
class TrackWriter {
public:
    TrackWriter& Channel(uint32_t delta, std::initializer_list<uint8_t> statusAndData);
    // 0xF0, the length of `data`, then `data` as given (a closing 0xF7 only if it is in it).
    TrackWriter& SysEx(uint32_t delta, const Bytes& data);
    // 0xF7 escape: never sent to the device.
    TrackWriter& Escape(uint32_t delta, const Bytes& data);
    TrackWriter& Meta(uint32_t delta, uint8_t type, const Bytes& data);
    TrackWriter& Text(uint32_t delta, const std::string& text);
    TrackWriter& Tempo(uint32_t delta, uint32_t microsecondsPerQuarter);
    TrackWriter& EndOfTrack(uint32_t delta = 0);
    // Bytes taken as they are, for running status and broken events.
    TrackWriter& Raw(const Bytes& bytes);

    const Bytes& Events() const { return m_events; }

private:
    TrackWriter& LengthPrefixed(uint32_t delta, uint8_t status, const Bytes& data);

    Bytes m_events;
};

// A whole file: header, then one chunk per track.
Bytes MakeSmf(uint16_t format, uint16_t division, const std::vector<Bytes>& trackEvents);

}  // namespace tern::samples
