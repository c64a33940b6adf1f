// The figures of the disturbance benchmarks: each row a real run whose capture is set against
// the file's schedule, printed as a plain table and as rows for scripts/bench's table.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tests/support/CaptureTiming.h"

namespace tern::bench {

// What the issue of a stalled transfer asks of every disturbance, in milliseconds.
inline constexpr double kP99TargetMs = 1.1;
inline constexpr double kWorstTargetMs = 5.0;

struct DisturbanceRow {
    std::string disturbance;
    test::CaptureLateness result;
};

// Measures each row with `measure(i)`, prints the load before and after, the table and the
// summary rows; returns the program's exit status (1 when a row could not be measured).
int PrintDisturbances(const char* bench, const char* what, std::vector<DisturbanceRow>& rows,
                      const std::function<test::CaptureLateness(size_t)>& measure);

}  // namespace tern::bench
