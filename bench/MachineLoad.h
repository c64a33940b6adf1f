// The machine's load when figures were taken: the player busy-waits on two cores shared with
// whatever else runs, so every benchmark of timing prints it.
#pragma once

#include <cstdio>

namespace tern::bench {

inline void PrintLoad(const char* when) {
    if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
        double load = 0;
        if (std::fscanf(f, "%lf", &load) == 1) {
            std::printf("    load average (1 min) %s: %.2f\n", when, load);
        }
        std::fclose(f);
    }
}

}  // namespace tern::bench
