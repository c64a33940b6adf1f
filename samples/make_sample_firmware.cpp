// Writes the sample firmware file for the simulated Ostrel to the path given.
#include <cstdio>

#include "samples/SampleFirmware.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.mid\n", argv[0]);
        return 1;
    }
    const auto sample = tern::samples::BuildSampleFirmware();
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    const bool written =
        std::fwrite(sample.file.data(), 1, sample.file.size(), out) == sample.file.size();
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "%s: write failed\n", argv[1]);
        return 1;
    }
    return 0;
}
