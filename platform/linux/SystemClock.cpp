#include "platform/SystemClock.h"

#include <cerrno>
#include <ctime>

namespace tern::platform {

uint32_t SystemTickCount() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const uint64_t ms =
        static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1'000'000u;
    return static_cast<uint32_t>(ms);
}

uint64_t SystemTickMicroseconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1'000'000u +
           static_cast<uint64_t>(ts.tv_nsec) / 1000u;
}

void SystemSleep(uint32_t ms) {
    timespec left{static_cast<time_t>(ms / 1000u), static_cast<long>(ms % 1000u) * 1'000'000L};
    // A signal may end the sleep early; carry on with what is left.
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

}  // namespace tern::platform
