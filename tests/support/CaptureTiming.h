// How far behind the file's schedule the simulated bus received a play's writes: the
// capture's entry times against the due times the dry run gives for the same file. Shared by
// the tests that disturb a running installation and by bench_disturbances, so it reports its
// failures as text and needs no test framework.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tern::test {

// What the disturbance tests allow a write to be late on a shared, loaded machine (the
// sanitizer builds and parallel tests included): the stalls they guard against held writes
// back by seconds; the figures against the real targets come from the benchmarks.
inline constexpr double kStallMarginMs = 1000;

struct CaptureLateness {
    std::string error;  // why nothing could be measured; empty when the figures hold
    size_t writes = 0;
    double p99Ms = 0;
    double worstMs = 0;
    size_t worstWrite = 0;  // counted from 0 in capture order
    // How much sooner than the file's gap any message followed the one before it, counted
    // between the first writes of messages due at different times; 0 or less when none did.
    double squeezedMs = 0;
    // How many messages followed the one before them more than 1 ms sooner than that gap.
    size_t squeezedMessages = 0;
};

// Each write's lateness is how much later than its due time it was entered, with the first
// write as the common origin of both clocks, so a write ahead of its time counts negative.
// As the player counts due times from its own start, a delay before the first write is no
// lateness here: a disturbance to be measured must begin after it (WaitForCapturedWrites).
// The p99 is the lateness that 99% of the writes do not exceed, the nearest write below.
// Needs one captured time for each due time.
CaptureLateness LatenessAgainstSchedule(const std::vector<uint64_t>& capturedUs,
                                        const std::vector<uint32_t>& dueMs);

// When each write of an installation of `firmwarePath` is due, in milliseconds from the
// start of the play, as the dry run plays it at the installation's tempo. Sets `error` and
// returns nothing when the file does not load or the play would not succeed to the end on an
// exact schedule. Replaces the clock and the firmware port while it runs, as the dry run does.
std::vector<uint32_t> ScheduledWriteTimesMs(const std::string& firmwarePath, std::string& error);

// The entry times, in microseconds, of the writes in a simulator capture file, failed ones
// included. Sets `error` when the file cannot be read or a line has another shape.
std::vector<uint64_t> CapturedWriteTimesUs(const std::string& capturePath, std::string& error);

// Waits until the capture file holds at least `writes` lines, reading it every millisecond:
// false when `limit` passed first.
bool WaitForCapturedWrites(const std::string& capturePath, size_t writes,
                           std::chrono::milliseconds limit);

// The three above in one: a capture of one whole installation of `firmwarePath`.
CaptureLateness MeasureCaptureLateness(const std::string& capturePath,
                                       const std::string& firmwarePath);

}  // namespace tern::test
