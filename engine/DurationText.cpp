#include "engine/DurationText.h"

namespace tern {
namespace {

std::string TwoDigits(uint64_t n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

}  // namespace

std::string FormatDuration(uint64_t ms) {
    const uint64_t s = ms / 1000;
    if (ms < 1000) {
        return std::to_string(ms) + " ms";
    }
    if (ms < 10000) {
        return std::to_string(s) + "." + std::to_string(ms % 1000 / 100) + " s";
    }
    if (s < 60) {
        return std::to_string(s) + " s";
    }
    if (s < 3600) {
        return std::to_string(s / 60) + " min " + TwoDigits(s % 60) + " s";
    }
    return std::to_string(s / 3600) + " h " + TwoDigits(s / 60 % 60) + " min";
}

}  // namespace tern
