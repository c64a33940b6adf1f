// The ui tests' own CSessionSignals, made first thing in main as the program makes its own,
// so that a test can send the process a real signal. Ending or stopping the test process is
// only counted.
#pragma once

#include <atomic>

namespace tern::test {

struct SessionSignalsProbe {
    std::atomic<int> endedBy{0};  // the last signal that would have ended the program
    std::atomic<int> stops{0};    // how often it would have stopped
};

SessionSignalsProbe& TheSessionSignalsProbe();

}  // namespace tern::test
