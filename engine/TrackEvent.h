// One event of a track, read the way the player reads it: the delta time, the status byte or
// the running status that stands for it, and where the event ends. The player, the dry run's
// explanation of a failure, its schedule and the fuzzers all walk a track through this, so
// the rules for running status and for a broken event are written once.
#pragma once

#include <cstdint>

#include "engine/SMF.h"

namespace tern {

struct TrackEvent {
    uint32_t start = 0;  // position of its delta time
    uint32_t delta = 0;  // ticks since the previous event
    uint32_t body = 0;   // just past its status byte, or its first data byte under running status
    uint32_t next = 0;   // just past the event, as GetEventLength measures it
    uint8_t status = 0;  // its own status byte, or the running status it keeps
    bool ownStatus = false;       // false: a data byte came first and running status applies
    bool deltaCut = false;        // the delta time runs past the track
    bool endsAfterDelta = false;  // the track ends right after the delta time
    bool broken = false;          // GetEventLength failed: the event does not fit, or its status

    // The track ends inside or right after the delta time: there is no event to act on.
    bool Missing() const { return deltaCut || endsAfterDelta; }
};

// Reads the event at `pos` of `track` with the reader's checked reads, under `runningStatus`.
// Call it with m_nError at kReaderInProgress; it leaves 6 there when a read failed (deltaCut
// or broken), as the readers do. A data byte keeps the running status whatever it is, SysEx
// and meta included.
TrackEvent ReadTrackEvent(CSMF& reader, int track, uint32_t pos, uint8_t runningStatus);

// When an event `ticks` after the play's start is due, in milliseconds, at `tempo`
// microseconds per quarter note and `division` ticks per quarter note (not 0). Not truncated
// to 32 bits: the player keeps the low 32 bits, the dry run judges the whole value.
constexpr uint64_t DueMilliseconds(uint64_t ticks, uint32_t tempo, uint16_t division) {
    return ticks * tempo / (uint64_t{division} * 1000u);
}

}  // namespace tern
