#include "samples/SmfWriter.h"

namespace tern::samples {

void AppendVarLen(Bytes& out, uint32_t value) {
    uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1) {
        out.push_back(static_cast<uint8_t>(groups[--count] | 0x80));
    }
    out.push_back(groups[0]);
}

void AppendBigEndian16(Bytes& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

void AppendBigEndian32(Bytes& out, uint32_t value) {
    AppendBigEndian16(out, static_cast<uint16_t>(value >> 16));
    AppendBigEndian16(out, static_cast<uint16_t>(value));
}

Bytes MakeHeader(uint16_t format, uint16_t tracks, uint16_t division) {
    Bytes out = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
    AppendBigEndian16(out, format);
    AppendBigEndian16(out, tracks);
    AppendBigEndian16(out, division);
    return out;
}

Bytes MakeTrackChunk(const Bytes& events) {
    Bytes out = {'M', 'T', 'r', 'k'};
    AppendBigEndian32(out, static_cast<uint32_t>(events.size()));
    out.insert(out.end(), events.begin(), events.end());
    return out;
}

TrackWriter& TrackWriter::Channel(uint32_t delta, std::initializer_list<uint8_t> statusAndData) {
    AppendVarLen(m_events, delta);
    m_events.insert(m_events.end(), statusAndData.begin(), statusAndData.end());
    return *this;
}

TrackWriter& TrackWriter::LengthPrefixed(uint32_t delta, uint8_t status, const Bytes& data) {
    AppendVarLen(m_events, delta);
    m_events.push_back(status);
    AppendVarLen(m_events, static_cast<uint32_t>(data.size()));
    m_events.insert(m_events.end(), data.begin(), data.end());
    return *this;
}

TrackWriter& TrackWriter::SysEx(uint32_t delta, const Bytes& data) {
    return LengthPrefixed(delta, 0xF0, data);
}

TrackWriter& TrackWriter::Escape(uint32_t delta, const Bytes& data) {
    return LengthPrefixed(delta, 0xF7, data);
}

TrackWriter& TrackWriter::Meta(uint32_t delta, uint8_t type, const Bytes& data) {
    AppendVarLen(m_events, delta);
    m_events.push_back(0xFF);
    m_events.push_back(type);
    AppendVarLen(m_events, static_cast<uint32_t>(data.size()));
    m_events.insert(m_events.end(), data.begin(), data.end());
    return *this;
}

TrackWriter& TrackWriter::Text(uint32_t delta, const std::string& text) {
    return Meta(delta, 0x01, Bytes(text.begin(), text.end()));
}

TrackWriter& TrackWriter::Tempo(uint32_t delta, uint32_t microsecondsPerQuarter) {
    return Meta(delta, 0x51,
                {static_cast<uint8_t>(microsecondsPerQuarter >> 16),
                 static_cast<uint8_t>(microsecondsPerQuarter >> 8),
                 static_cast<uint8_t>(microsecondsPerQuarter)});
}

TrackWriter& TrackWriter::EndOfTrack(uint32_t delta) {
    return Meta(delta, 0x2F, {});
}

TrackWriter& TrackWriter::Raw(const Bytes& bytes) {
    m_events.insert(m_events.end(), bytes.begin(), bytes.end());
    return *this;
}

Bytes MakeSmf(uint16_t format, uint16_t division, const std::vector<Bytes>& trackEvents) {
    Bytes out = MakeHeader(format, static_cast<uint16_t>(trackEvents.size()), division);
    for (const Bytes& events : trackEvents) {
        const Bytes chunk = MakeTrackChunk(events);
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    return out;
}

}  // namespace tern::samples
