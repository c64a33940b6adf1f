#include <windows.h>

#include "components/corvo-sim/Capture.h"

namespace corvo_sim {

uint64_t MonotonicMicroseconds() {
    static const uint64_t frequency = [] {
        LARGE_INTEGER f{};
        QueryPerformanceFrequency(&f);  // never fails on Windows XP and later
        return static_cast<uint64_t>(f.QuadPart);
    }();
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const auto counts = static_cast<uint64_t>(now.QuadPart);
    // Whole seconds and the rest apart, so the product cannot overflow.
    return counts / frequency * 1'000'000u + counts % frequency * 1'000'000u / frequency;
}

std::FILE* OpenForAppending(const std::string& path) {
    // Binary: lines end in "\n" alone, as on Linux. N: not inherited.
    return std::fopen(path.c_str(), "abN");
}

}  // namespace corvo_sim
