// The system's own millisecond counter and sleep, which each backend provides; everything
// else reads time through TickCount.h, where a test clock can take their place.
#pragma once

#include <cstdint>

namespace tern::platform {

uint32_t SystemTickCount();
uint64_t SystemTickMicroseconds();
void SystemSleep(uint32_t ms);

}  // namespace tern::platform
