#include "engine/VexDataPlay.h"

#include <algorithm>
#include <cstring>

#include "devlink/Handles.h"
#include "engine/SmfBytes.h"
#include "engine/TrackEvent.h"
#include "platform/TickCount.h"
#include "status/ReaderError.h"

namespace {

constexpr int kTrack = 0;
constexpr int kProgressMax = 100;

// The first write of a message carries its 0xF0, so it has room for one data byte less.
constexpr uint32_t kFirstPieceData = CVexDataPlay::kBufferSize - 1;

// Percent of the track done once `next` bytes of it are behind us. In 64 bits: tracks over
// about 42.9 MB would overflow `next * 100` in 32.
int ProgressPercent(uint32_t next, uint32_t trackLength) {
    return static_cast<int>(uint64_t{next} * kProgressMax / trackLength);
}

// The process's tick counter, whichever clock is installed: what a real play waits on.
class ProcessClock final : public tern::platform::IClock {
public:
    uint32_t Now() override { return tern::platform::GetTickCount(); }
    void Sleep(uint32_t ms) override { tern::platform::Sleep(ms); }
};

// A message found this late, or later, moves the rest of the schedule. The tick counter
// moves in whole milliseconds, so a message read in its due millisecond went out within one
// of its due time, and the schedule stays the file's; one read a step later may have gone up
// to two late, and the message after it could then come a millisecond sooner than its gap
// allows, so it moves.
constexpr uint32_t kLateMs = 1;

// The timing and write state of one play; lives on Play's stack.
class Transfer {
public:
    Transfer(CVexDataPlay& player, ICorvoPort& port, tern::platform::IClock& clock, uint32_t tempo,
             tern::StallRule stalls)
        : m_player(player),
          m_port(port),
          m_clock(clock),
          m_tempo(tempo),
          m_moveAfterStall(stalls == tern::StallRule::kMoveLater),
          m_start(clock.Now()) {}

    // Waits until `ticks` is due, then writes 0xF0 and the `length` data bytes at `pos` in
    // pieces, leaving `pos` past what was written. The caller has proven that the data lie
    // inside the track. False when a write failed.
    bool Send(uint32_t ticks, uint32_t& pos) {
        const uint32_t length = m_player.ReadVarLen(pos, kTrack);
        const uint32_t first = FillFirstPiece(pos, length);
        WaitUntilDue(ticks);
        return SendPieces(pos, length, first);
    }

    // For a SysEx event that does not fit in the track. Once it is due: a length field cut
    // off by the end of the track still lets the 0xF0 go out alone; a complete length whose
    // data run past the track sends nothing. m_nError stays 6 either way.
    bool SendCutOff(uint32_t ticks, uint32_t pos) {
        m_player.m_nError = tern::kReaderInProgress;
        m_player.ReadVarLen(pos, kTrack);
        const bool lengthCutOff = m_player.m_nError == tern::kReaderMalformed;
        m_player.m_nError = tern::kReaderMalformed;
        const uint32_t first = lengthCutOff ? FillFirstPiece(pos, 0) : 0;
        WaitUntilDue(ticks);
        return !lengthCutOff || SendPieces(pos, 0, first);
    }

private:
    void WaitUntilDue(uint32_t ticks) {
        tern::ScheduleMoves& moves = m_player.m_Moves;
        const uint32_t due =
            static_cast<uint32_t>(tern::DueMilliseconds(ticks, m_tempo, m_player.m_wDivision)) +
            moves.movedMs;
        // Absolute from the start, so time spent writing never adds up; the unsigned
        // difference stays right across a wrap of the counter. No sleep: a sleep's
        // granularity would make every event late.
        uint32_t elapsed = m_clock.Now() - m_start;
        const bool dueAlready = elapsed >= due;
        while (elapsed < due) {
            elapsed = m_clock.Now() - m_start;
        }
        // Late by a stall: what follows keeps the file's gaps from here instead of catching
        // up in a burst. Arithmetic only, as everything on this thread between writes.
        const uint32_t late = elapsed - due;
        if (m_moveAfterStall && late >= kLateMs) {
            moves.movedMs += late;
            ++(dueAlready ? moves.slowWrites : moves.heldUp);
        }
    }

    // The first write of a message is made ready before its wait, so that nothing but the call
    // lies between the last look at the clock and the port: a thread held up there (the
    // scheduler takes the processor on the very tick the wait ends on) is a stall no player
    // can see. Returns the data bytes it holds; `pos` moves past them.
    uint32_t FillFirstPiece(uint32_t& pos, uint32_t length) {
        const uint32_t count = std::min(length, kFirstPieceData);
        uint8_t* buffer = m_player.m_Buffer[m_ring];
        buffer[0] = tern::smf::kSysEx;
        std::memcpy(buffer + 1, Data(pos), count);
        pos += count;
        return count;
    }

    bool SendPieces(uint32_t& pos, uint32_t length, uint32_t first) {
        uint32_t count = first;
        if (!Write(count + 1)) {
            return false;
        }
        for (uint32_t left = length - count; left > 0; left -= count) {
            count = std::min(left, CVexDataPlay::kBufferSize);
            std::memcpy(m_player.m_Buffer[m_ring], Data(pos), count);
            pos += count;
            if (!Write(count)) {
                return false;
            }
        }
        return true;
    }

    bool Write(uint32_t count) {
        if (FAILED(m_port.Write(0, count, m_player.m_Buffer[m_ring], count))) {
            return false;
        }
        m_ring = (m_ring + 1) % CVexDataPlay::kBufferCount;
        return true;
    }

    // Bytes of track 0 whose bounds GetEventLength has checked; the parse keeps every
    // track inside the image.
    const uint8_t* Data(uint32_t pos) const {
        return m_player.m_pData.get() + m_player.m_Track[kTrack].dwOffset + pos;
    }

    CVexDataPlay& m_player;
    ICorvoPort& m_port;
    tern::platform::IClock& m_clock;
    const uint32_t m_tempo;
    const bool m_moveAfterStall;
    const uint32_t m_start;
    int m_ring = 0;
};

}  // namespace

void CVexDataPlay::Play(IProgressControl& progress, uint32_t tempo) {
    // Read once: the handle does not change while a play runs.
    ProcessClock clock;
    PlayThrough(g_pFirmwarePort, clock, progress, tempo);
}

void CVexDataPlay::PlayThrough(ICorvoPort* port, tern::platform::IClock& clock,
                               IProgressControl& progress, uint32_t tempo, tern::StallRule stalls) {
    m_Moves = {};
    progress.SetRange(0, kProgressMax);
    // Without ticks per quarter note no event has a due time, and sending the firmware
    // unpaced could overrun the device: refuse the file before anything is written.
    if (m_wDivision == 0) {
        m_nError = tern::kReaderMalformed;
        return;
    }
    // No port is a failed write.
    if (!port) {
        m_nError = tern::kReaderInProgress;
        return;
    }
    Transfer transfer(*this, *port, clock, tempo, stalls);
    m_nError = tern::kReaderInProgress;

    uint32_t pos = kChunkHeaderSize;
    uint32_t ticks = 0;  // wraps with the file's delta times
    uint8_t status = 0;  // running status; 0 until the first status byte
    while (m_nError == tern::kReaderInProgress) {
        const tern::TrackEvent event = tern::ReadTrackEvent(*this, kTrack, pos, status);
        ticks += event.delta;
        if (event.Missing()) {
            return;  // 6: the delta time ran past the track; -1: no end-of-track event
        }
        status = event.status;
        pos = event.body;
        if (status == tern::smf::kMeta) {
            // An end-of-track event ends the play well even when its length is broken.
            if (ReadByte(pos, kTrack) == tern::smf::kMetaEndOfTrack) {
                m_nError = tern::kReaderOk;
            }
        } else if (status == tern::smf::kSysEx) {
            const bool sent =
                event.broken ? transfer.SendCutOff(ticks, pos) : transfer.Send(ticks, pos);
            if (!sent) {
                return;  // no progress for an event that did not go out
            }
        }
        progress.SetPos(ProgressPercent(event.next, m_Track[kTrack].dwLength));
        pos = event.next;
    }
}
