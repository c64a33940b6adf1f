// The status bytes of Standard MIDI File events that the reader, the player and the tools
// tell apart.
#pragma once

#include <cstdint>

namespace tern::smf {

constexpr uint8_t kStatusBit = 0x80;  // set on a status byte, clear on a data byte
constexpr uint8_t kSysEx = 0xF0;
constexpr uint8_t kEscape = 0xF7;
constexpr uint8_t kMeta = 0xFF;
constexpr uint8_t kMetaEndOfTrack = 0x2F;

}  // namespace tern::smf
