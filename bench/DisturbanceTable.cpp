#include "bench/DisturbanceTable.h"
#include "bench/MachineLoad.h"

#include <cstdio>

namespace tern::bench {
namespace {}  // namespace

int PrintDisturbances(const char* bench, const char* what, std::vector<DisturbanceRow>& rows,
                      const std::function<test::CaptureLateness(size_t)>& measure) {
    std::printf("%s: %s\n", bench, what);
    PrintLoad("before");
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i].result = measure(i);
    }
    PrintLoad("after");

    std::printf("\ndisturbance | writes | p99 late ms | worst late ms\n");
    bool measured = true;
    for (const DisturbanceRow& row : rows) {
        const test::CaptureLateness& r = row.result;
        if (!r.error.empty()) {
            std::printf("%s | failed: %s | |\n", row.disturbance.c_str(), r.error.c_str());
            measured = false;
            continue;
        }
        std::printf("%s | %zu | %.2f | %.2f\n", row.disturbance.c_str(), r.writes, r.p99Ms,
                    r.worstMs);
    }
    // One table row per figure, for scripts/bench.
    std::printf("\n");
    for (const DisturbanceRow& row : rows) {
        const test::CaptureLateness& r = row.result;
        if (r.error.empty()) {
            const bool met = r.p99Ms <= kP99TargetMs && r.worstMs <= kWorstTargetMs;
            std::printf(
                "| %s | %s: write lateness p99 / worst | %.2f / %.2f ms | <= %.1f / %.0f ms | "
                "%s |\n",
                bench, row.disturbance.c_str(), r.p99Ms, r.worstMs, kP99TargetMs, kWorstTargetMs,
                met ? "met" : "NOT met");
        }
    }
    return measured ? 0 : 1;
}

}  // namespace tern::bench
