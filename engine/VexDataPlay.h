// CVexDataPlay: replays track 0 of the loaded update file into the firmware port. Each SysEx
// event goes out when it is due, as 0xF0 and its stored data bytes, in writes of at most
// 4,096 bytes; every other event only counts toward later due times.
#pragma once

#include <cstdint>

#include "devlink/CorvoInterfaces.h"
#include "engine/ProgressControl.h"
#include "engine/SMF.h"
#include "engine/ScheduleMoves.h"
#include "platform/TickCount.h"

namespace tern {

// Microseconds per quarter note: the one tempo both front ends install at. Tempo events in a
// file change nothing.
constexpr uint32_t kInstallTempo = 500000;

// What a play does with a message it finds late.
enum class StallRule : uint8_t {
    // A real port: the rest of the schedule moves later by the lateness, keeping the gaps.
    kMoveLater,
    // The dry run's virtual clock: it never stalls, and ends long waits past their due times
    // on purpose; the schedule stays the file's.
    kKeepDueTimes,
};

}  // namespace tern

class CVexDataPlay : public CSMF {
public:
    static constexpr int kBufferCount = 16;
    static constexpr uint32_t kBufferSize = 4096;

    // Plays track 0 from its start at the caller's tempo (microseconds per quarter note;
    // tempo events in the file change nothing), writing through g_pFirmwarePort. Sets the
    // progress range to 0..100, then a position after each event. Busy-waits on the tick
    // counter, so it belongs on a thread of its own. A message found a millisecond or more late
    // moves the rest of the schedule later by as much (m_Moves). Afterwards m_nError is
    //   0  the end-of-track event was reached,
    //  -1  a write failed, there is no firmware port, or the track ended without end-of-track,
    //   6  the track is malformed or its division is 0.
    // Allocates nothing.
    void Play(IProgressControl& progress, uint32_t tempo);

    // The same play through `port` on `clock`, which leaves the process's firmware port
    // handle and clock alone: a dry run can then play beside threads that use them.
    void PlayThrough(ICorvoPort* port, tern::platform::IClock& clock, IProgressControl& progress,
                     uint32_t tempo, tern::StallRule stalls = tern::StallRule::kMoveLater);

    // Write buffers, used in rotation: the port may still be reading a buffer after Write
    // has returned, so none is refilled before fifteen further writes have been issued.
    uint8_t m_Buffer[kBufferCount][kBufferSize]{};

    // How far the current or last play has moved its schedule, and why; set afresh when a play
    // starts. The playing thread writes it before each message's first write: a port in front
    // of the device may read it there, anyone else once the play has ended.
    tern::ScheduleMoves m_Moves;
};

// The process's one player: Browse loads into it, the installation run plays it.
extern CVexDataPlay g_DataPlay;
