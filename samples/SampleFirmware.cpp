#include "samples/SampleFirmware.h"

#include <array>

namespace tern::samples {
namespace {

constexpr int kSysExCount = 64;

// Sizes that exercise the write pieces: empty, one short of a full first piece, a full
// first piece plus one byte, and several pieces. The rest vary between 20 and 700 bytes.
uint32_t DataSize(int index, uint32_t& seed) {
    switch (index) {
        case 3:
            return 0;
        case 9:
            return 4095;
        case 17:
            return 4096;
        case 30:
            return 10000;
        default:
            seed = seed * 1103515245u + 12345u;
            return 20 + (seed >> 16) % 681;
    }
}

// A block as the device would expect it: a manufacturer-style prefix, the block number,
// 7-bit payload and a closing 0xF7 among the data bytes.
Bytes BlockData(int index, uint32_t size, uint32_t& seed) {
    Bytes data;
    data.reserve(size);
    const std::array<uint8_t, 4> prefix = {0x00, 0x5A, 0x3C, static_cast<uint8_t>(index & 0x7F)};
    for (uint32_t i = 0; i < size; ++i) {
        if (i + 1 == size) {
            data.push_back(0xF7);
        } else if (i < prefix.size()) {
            data.push_back(prefix[i]);
        } else {
            seed = seed * 1664525u + 1013904223u;
            data.push_back(static_cast<uint8_t>((seed >> 24) & 0x7F));
        }
    }
    return data;
}

}  // namespace

SampleFirmware BuildSampleFirmware() {
    SampleFirmware sample;
    TrackWriter track;
    track.Text(0, "Ostrel firmware sample").Tempo(0, 500000);

    uint32_t sizeSeed = 0x7E51u;
    uint32_t dataSeed = 0x0517u;
    uint32_t ticks = 0;
    for (int i = 0; i < kSysExCount; ++i) {
        uint32_t delta = i == 0 ? 0 : kSampleSpacingTicks;
        // Now and then an event the device never sees takes part of the gap; its delta
        // time still counts toward the next block's due time.
        if (i % 8 == 4) {
            track.Channel(10, {0xC0, 0x05});
            delta -= 10;
            ticks += 10;
        } else if (i % 8 == 6) {
            track.Escape(12, {0x7F, 0x7F});
            track.Channel(0, {0x90, 0x3C, 0x40});
            delta -= 12;
            ticks += 12;
        }
        ticks += delta;
        SampleSysEx event{ticks, BlockData(i, DataSize(i, sizeSeed), dataSeed)};
        track.SysEx(delta, event.data);
        sample.sysex.push_back(std::move(event));
    }
    track.EndOfTrack(kSampleSpacingTicks);

    sample.file = MakeSmf(0, kSampleDivision, {track.Events()});
    return sample;
}

}  // namespace tern::samples
