// The numbers tern-flash shows in hex, and port tags as text, the same in text and JSON.
#pragma once

#include <cstdint>
#include <string>

namespace tern::cli {

// "0x" and `digits` upper-case hex digits at least.
std::string Hex(uint64_t value, int digits);

// The four characters of a tag, most significant byte first; a byte that is not printable
// shows as '?' so a strange component cannot garble the terminal.
std::string TagText(uint32_t tag);

}  // namespace tern::cli
