// Update files whose track 0 ends each way the player can end: well, or at each kind of
// broken event; and files that play well but must not be installed. Shared by the dry-run
// tests, the comparison with real installs and the refusals of both front ends.
#pragma once

#include <string>
#include <vector>

#include "engine/Preflight.h"
#include "samples/SmfWriter.h"
#include "status/ReaderError.h"

namespace tern::test {

struct PlayCase {
    const char* name;
    samples::Bytes file;
    int32_t playerError;   // what the player ends with
    uint32_t eventNumber;  // where the dry run says it stops (0: the header)
    uint32_t trackOffset;  // of that event's delta time
    const char* why;       // a part of the reason
    // The verdict: every play that fails is refused; a few that end well are refused too.
    Refusal refusal = playerError == kReaderOk ? Refusal::kNone : Refusal::kPlayFails;
};

// Track offsets count from the "MTrk" tag: the first event starts at 8. SysEx(0, k3) takes
// six bytes (delta, 0xF0, length, three data bytes), so the event after it starts at 14.
inline std::vector<PlayCase> PlayCases() {
    using samples::MakeSmf;
    using samples::TrackWriter;
    const samples::Bytes k3 = {0x01, 0x02, 0x03};
    samples::Bytes big(9000);
    for (size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<uint8_t>(i & 0x7F);
    }
    auto file = [](const TrackWriter& track, uint16_t division = 480) {
        return MakeSmf(0, division, {track.Events()});
    };
    // A message at once, then `count` more, each `delta` ticks after the one before, and one
    // more `last` ticks later when it is not 0.
    auto spaced = [&k3](int count, uint32_t delta, uint32_t last = 0) {
        TrackWriter track;
        track.SysEx(0, k3);
        for (int i = 0; i < count; ++i) {
            track.SysEx(delta, k3);
        }
        if (last != 0) {
            track.SysEx(last, k3);
        }
        return track.EndOfTrack();
    };
    return {
        {"ends well, with running status, a long message and events never sent",
         file(TrackWriter()
                  .SysEx(0, k3)
                  .Raw({0x00, 0x02, 0x0A, 0x0B})  // SysEx again under running status
                  .Channel(24, {0x90, 0x3C, 0x40})
                  .Escape(0, {0x7F})
                  .SysEx(96, big)
                  .EndOfTrack()),
         kReaderOk, 0, 0, ""},
        {"end-of-track whose length runs past the track still ends well",
         file(TrackWriter().SysEx(0, k3).Raw({0x00, 0xFF, 0x2F, 0x05})), kReaderOk, 0, 0, ""},
        {"no end-of-track event", file(TrackWriter().SysEx(0, k3).SysEx(96, k3)), kReaderMalformed,
         3, 20, "the track ends where this event should begin"},
        {"an empty track", MakeSmf(0, 480, {{}}), kReaderMalformed, 1, 8,
         "the track ends where this event should begin"},
        {"delta time cut off", file(TrackWriter().SysEx(0, k3).Raw({0x81})), kReaderMalformed, 2,
         14, "its delta time is cut off"},
        {"track ends right after a delta time", file(TrackWriter().SysEx(0, k3).Raw({0x00})),
         kReaderInProgress, 2, 14, "ends right after its delta time"},
        {"status byte not accepted", file(TrackWriter().SysEx(0, k3).Raw({0x00, 0xF4, 0x00})),
         kReaderMalformed, 2, 14, "status byte 0xF4 is not an event the player accepts"},
        {"data byte before any status", file(TrackWriter().Raw({0x00, 0x05, 0x06})),
         kReaderMalformed, 1, 8, "begins with data byte 0x05 and no status byte"},
        {"SysEx length cut off: 0xF0 goes out alone",
         file(TrackWriter().SysEx(0, k3).Raw({0x0C, 0xF0, 0x81})), kReaderMalformed, 2, 14,
         "its SysEx (0xF0) has its length field cut off by the end of the track, so 0xF0 would "
         "go out alone"},
        {"SysEx data run past the track",
         file(TrackWriter().SysEx(0, k3).Raw({0x00, 0xF0, 0x05, 0x01, 0x02})), kReaderMalformed, 2,
         14, "declares 5 bytes but only 2 follow in the track, so none of it would be sent"},
        {"SysEx under running status runs past the track",
         file(TrackWriter().SysEx(0, k3).Raw({0x00, 0x05, 0x01})), kReaderMalformed, 2, 14,
         "its SysEx (0xF0 under running status) declares 5 bytes but only 1 follow"},
        // 0x80, the lowest status byte, is a status byte like any other.
        {"channel message cut off", file(TrackWriter().SysEx(0, k3).Raw({0x00, 0x80, 0x3C})),
         kReaderMalformed, 2, 14, "its status 0x80 needs 2 data bytes but only 1 remain"},
        {"program change cut off", file(TrackWriter().SysEx(0, k3).Raw({0x00, 0xC5})),
         kReaderMalformed, 2, 14, "its status 0xC5 needs 1 data byte but only 0 remain"},
        {"channel pressure cut off", file(TrackWriter().SysEx(0, k3).Raw({0x00, 0xD0})),
         kReaderMalformed, 2, 14, "its status 0xD0 needs 1 data byte but only 0 remain"},
        {"meta status byte at the end of the track",
         file(TrackWriter().SysEx(0, k3).Raw({0x00, 0xFF})), kReaderMalformed, 2, 14,
         "the track ends right after its meta status byte, before the meta type"},
        {"escape event runs past the track",
         file(TrackWriter().SysEx(0, k3).Raw({0x00, 0xF7, 0x05, 0x01})), kReaderMalformed, 2, 14,
         "its escape event (0xF7) declares 5 bytes but only 1 follow"},
        {"meta event runs past the track",
         file(TrackWriter().SysEx(0, k3).Raw({0x00, 0xFF, 0x01, 0x05, 0x61})), kReaderMalformed, 2,
         14, "its meta event (0xFF) declares 5 bytes but only 1 follow"},
        {"division 0", file(TrackWriter().SysEx(0, k3).EndOfTrack(), 0), kReaderMalformed, 0, 0,
         "division is 0 ticks per quarter note"},
        // They end well, but there is nothing to install, or it would go out at the wrong time.
        {"nothing but the end of the track", file(TrackWriter().EndOfTrack()), kReaderOk, 0, 0, "",
         Refusal::kNoFirmware},
        {"the firmware in track 1",
         MakeSmf(1, 480,
                 {TrackWriter().EndOfTrack().Events(),
                  TrackWriter().SysEx(0, k3).EndOfTrack().Events()}),
         kReaderOk, 0, 0, "", Refusal::kNoFirmware},
        {"SysEx only after the end of the track",
         file(TrackWriter().Channel(0, {0x90, 0x3C, 0x40}).EndOfTrack().SysEx(0, k3)), kReaderOk, 0,
         0, "", Refusal::kNoFirmware},
        // Seventeen delta times of 0x0FFFFFFF ticks add up past 2^32.
        {"delta times past 2^32 ticks", file(spaced(17, 0x0FFFFFFF), 0xFFFF), kReaderOk, 0, 0, "",
         Refusal::kTicksWrap},
        // Sixteen delta times of 0x0FFFFFFF and one of 15: 2^32 - 1 ticks, the most that do not
        // wrap; due over 9 h, though.
        {"delta times up to 2^32 - 1 ticks", file(spaced(16, 0x0FFFFFFF, 15), 0xFFFF), kReaderOk, 0,
         0, "", Refusal::kScheduleTooLong},
        // 0x0FFFFFFF ticks at one a quarter note, 500 ms each: due 31 times round the counter.
        {"a message due past 2^32 ms", file(spaced(1, 0x0FFFFFFF), 1), kReaderOk, 0, 0, "",
         Refusal::kDueTimeWraps},
        // 188,978,561 ticks at 22 a quarter note: due at 2^32 - 1 ms, the last the counter
        // reaches before it wraps.
        {"a message due at the last millisecond before the wrap", file(spaced(1, 188978561), 22),
         kReaderOk, 0, 0, "", Refusal::kScheduleTooLong},
        {"a message due 13 h 53 min after the start", file(spaced(1, 100000), 1), kReaderOk, 0, 0,
         "", Refusal::kScheduleTooLong},
    };
}

}  // namespace tern::test
