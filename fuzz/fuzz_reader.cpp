// Fuzzes the update-file reader: header and chunk parsing, then every track walked event by
// event with the track readers, and the event-length rule at positions the input chooses.
#include <cstddef>
#include <cstdint>

#include "engine/SMF.h"
#include "engine/TrackEvent.h"
#include "fuzz/FuzzImage.h"
#include "status/ReaderError.h"

namespace {

// Walks one track the way the player does; ends at the first failure or the end.
void WalkTrack(CSMF& smf, int track) {
    smf.m_nError = tern::kReaderInProgress;
    uint8_t status = 0;
    for (uint32_t pos = CSMF::kChunkHeaderSize;;) {
        const tern::TrackEvent event = tern::ReadTrackEvent(smf, track, pos, status);
        if (event.Missing() || event.broken) {
            return;
        }
        if (event.next <= pos) {
            __builtin_trap();  // a walk that does not move on would never end
        }
        status = event.status;
        pos = event.next;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (1u << 24)) {
        return 0;
    }
    CSMF smf;
    tern::fuzz::SetImage(smf, data, size);
    if (!smf.ParseChunks()) {
        return 0;
    }
    for (int track = 0; track < smf.m_wTracks; ++track) {
        WalkTrack(smf, track);
    }
    // The readers at positions and tracks taken from the input itself, in range or not.
    for (size_t i = 0; i + 6 <= size && i < 64; i += 6) {
        uint32_t pos = static_cast<uint32_t>(data[i] << 24 | data[i + 1] << 16 | data[i + 2] << 8 |
                                             data[i + 3]);
        const int track = data[i + 4] % 20 - 2;
        smf.GetEventLength(data[i + 5], pos, track);
        smf.ReadVarLen(pos, track);
        smf.ReadDword(pos, track);
        smf.ReadByte(pos, track);
    }
    return 0;
}
