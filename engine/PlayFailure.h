// Why a play of track 0 would not reach its end-of-track event, told from what the player did
// (how many events it finished) and the reader's view of the event where it stopped. The
// player decides the outcome; this only names the place and the cause.
#pragma once

#include <cstdint>
#include <string>

#include "engine/SMF.h"

namespace tern {

struct PlayFailure {
    uint32_t eventNumber;  // counted from 1 in track order; 0 when the header is at fault
    uint32_t trackOffset;  // of the event's delta time, counted from the chunk's "MTrk" tag
    uint32_t fileOffset;   // the same byte, counted from the start of the file
    std::string why;
};

// For a loaded file whose play on a port that accepts every write did not succeed after
// `eventsFinished` progress updates. Leaves the reader's error value as it found it.
PlayFailure ExplainPlayFailure(CSMF& reader, uint32_t eventsFinished);

// "event 7 at offset 120 of track 0 (file offset 134): why", or the header's fault alone.
std::string Describe(const PlayFailure& failure);

}  // namespace tern
