// Fuzzes the update-file reader: header and chunk parsing, then every track walked event by
// event with the track readers, and the event-length rule at positions the input chooses.
#include <cstddef>
#include <cstdint>

#include "engine/SMF.h"
#include "fuzz/FuzzImage.h"

namespace {

// Walks one track the way a player would; ends at the first failure or the end.
void WalkTrack(CSMF& smf, int track) {
    uint32_t pos = CSMF::kChunkHeaderSize;
    uint8_t status = 0;
    const uint32_t length = smf.m_Track[track].dwLength;
    while (pos < length && smf.m_nError == 0) {
        smf.ReadVarLen(pos, track);
        uint32_t peek = pos;
        if (const uint8_t first = smf.ReadByte(peek, track); first & 0x80) {
            status = first;
            pos = peek;
        }
        const uint32_t size = smf.GetEventLength(status, pos, track);
        if (size == 0 || smf.m_nError != 0) {
            return;
        }
        pos += size;  // GetEventLength keeps the end inside the track, so pos only grows
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
        smf.m_nError = 0;
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
