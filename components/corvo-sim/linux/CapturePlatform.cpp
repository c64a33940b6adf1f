#include <ctime>

#include "components/corvo-sim/Capture.h"

namespace corvo_sim {

uint64_t MonotonicMicroseconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1'000'000u +
           static_cast<uint64_t>(ts.tv_nsec) / 1000u;
}

std::FILE* OpenForAppending(const std::string& path) {
    return std::fopen(path.c_str(), "ae");
}

}  // namespace corvo_sim
