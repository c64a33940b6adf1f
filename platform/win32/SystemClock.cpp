#include "platform/SystemClock.h"

#include <windows.h>

namespace tern::platform {

uint32_t SystemTickCount() {
    return ::GetTickCount();
}

void SystemSleep(uint32_t ms) {
    ::Sleep(ms);
}

}  // namespace tern::platform
