// What every player test needs: a player holding one file, a virtual clock that moves one
// millisecond per reading (so the player's busy waits end), a recording port installed as
// the firmware port for the test's duration, and a recording progress control.
#pragma once

#include <memory>
#include <vector>

#include "devlink/Handles.h"
#include "engine/VexDataPlay.h"
#include "samples/SmfWriter.h"
#include "tests/support/FakeClock.h"
#include "tests/support/RecordingPort.h"
#include "tests/support/RecordingProgress.h"
#include "tests/support/SmfImage.h"

namespace tern::test {

constexpr uint32_t kTempo = kInstallTempo;  // what the installation run passes
constexpr uint16_t kDivision = 480;
constexpr uint32_t kClockStart = 1000;

class PlayHarness {
public:
    explicit PlayHarness(uint32_t clockStart = kClockStart, uint32_t stepPerRead = 1)
        : clock(clockStart, stepPerRead), m_installed(clock) {
        port.RecordTicks(true);
        g_pFirmwarePort = &port;
    }
    ~PlayHarness() { g_pFirmwarePort = nullptr; }
    PlayHarness(const PlayHarness&) = delete;
    PlayHarness& operator=(const PlayHarness&) = delete;

    // Loads a file whose track 0 holds exactly `events` (the first one at position 8).
    void Load(const samples::Bytes& events, uint16_t division = kDivision) {
        LoadFile(samples::MakeSmf(0, division, {events}));
    }
    void LoadFile(const samples::Bytes& file) {
        SetImage(*player, file);
        player->ParseChunks();
    }
    void Play(uint32_t tempo = kTempo) { player->Play(progress, tempo); }

    // Milliseconds from the play's start (its first clock reading) to write `call`.
    uint32_t WriteTime(size_t call) const { return port.Calls()[call].tick - m_start; }

    platform::FakeClock clock;
    std::unique_ptr<CVexDataPlay> player = std::make_unique<CVexDataPlay>();
    RecordingPort port;
    RecordingProgress progress;

private:
    platform::ScopedClock m_installed;
    uint32_t m_start = clock.Peek();
};

// 0xF0 followed by `data`: what one SysEx event puts on the port.
inline std::vector<uint8_t> OnPort(const samples::Bytes& data) {
    std::vector<uint8_t> bytes{0xF0};
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
}

// `count` distinct 7-bit data bytes.
inline samples::Bytes Pattern(uint32_t count, uint8_t seed = 1) {
    samples::Bytes data(count);
    for (uint32_t i = 0; i < count; ++i) {
        data[i] = static_cast<uint8_t>((i * 31u + seed) & 0x7F);
    }
    return data;
}

}  // namespace tern::test
