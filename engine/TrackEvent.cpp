#include "engine/TrackEvent.h"

#include "engine/SmfBytes.h"
#include "status/ReaderError.h"

namespace tern {

TrackEvent ReadTrackEvent(CSMF& reader, int track, uint32_t pos, uint8_t runningStatus) {
    TrackEvent e;
    e.start = pos;
    e.delta = reader.ReadVarLen(pos, track);
    if (reader.m_nError != kReaderInProgress) {
        e.deltaCut = true;
        return e;
    }
    if (pos >= reader.m_Track[track].dwLength) {
        e.endsAfterDelta = true;
        return e;
    }
    e.status = runningStatus;
    uint32_t peek = pos;
    if (const uint8_t first = reader.ReadByte(peek, track); first & smf::kStatusBit) {
        e.status = first;
        e.ownStatus = true;
        pos = peek;
    }
    e.body = pos;
    // A length field cut off by the end of the track still yields the length read so far.
    e.next = pos + reader.GetEventLength(e.status, pos, track);
    e.broken = reader.m_nError != kReaderInProgress;
    return e;
}

}  // namespace tern
