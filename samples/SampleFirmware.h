// The sample firmware file for the simulated Ostrel: format 0, one track of SysEx messages
// of mixed sizes about 40 ms apart, with a few events between them that are never sent.
#pragma once

#include <cstdint>
#include <vector>

#include "samples/SmfWriter.h"

namespace tern::samples {

constexpr uint16_t kSampleDivision = 480;
constexpr uint32_t kSampleSpacingTicks = 38;  // 39.6 ms at 500,000 us per quarter note

struct SampleSysEx {
    uint32_t ticks;  // absolute time of the event in ticks
    Bytes data;      // the data bytes after 0xF0, as stored
};

struct SampleFirmware {
    Bytes file;
    std::vector<SampleSysEx> sysex;  // in track order
};

// Deterministic: the same bytes on every call and every machine.
SampleFirmware BuildSampleFirmware();

}  // namespace tern::samples
