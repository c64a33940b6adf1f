#include "platform/SystemClock.h"

#include <windows.h>

namespace tern::platform {

uint32_t SystemTickCount() {
    return ::GetTickCount();
}

uint64_t SystemTickMicroseconds() {
    LARGE_INTEGER count{};
    LARGE_INTEGER frequency{};
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    const auto ticks = static_cast<uint64_t>(count.QuadPart);
    const auto perSecond = static_cast<uint64_t>(frequency.QuadPart);
    // In two parts, so that the product cannot overflow after a long uptime.
    return ticks / perSecond * 1'000'000u + ticks % perSecond * 1'000'000u / perSecond;
}

void SystemSleep(uint32_t ms) {
    ::Sleep(ms);
}

}  // namespace tern::platform
