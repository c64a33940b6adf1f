// A length of time as a person reads it, in the largest units that keep it short.
#pragma once

#include <cstdint>
#include <string>

namespace tern {

// "850 ms", "4.2 s", "42 s", "3 min 05 s", "2 h 07 min".
std::string FormatDuration(uint64_t ms);

}  // namespace tern
