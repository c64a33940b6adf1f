#include "tests/support/CaptureTiming.h"

#include <algorithm>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <thread>

#include "engine/DryRun.h"
#include "engine/VexDataPlay.h"

namespace tern::test {
namespace {

constexpr double kUsPerMs = 1000.0;
constexpr double kPercentile = 0.99;
constexpr double kToleranceMs = 1.0;  // the tick counter's step
constexpr std::chrono::milliseconds kCapturePoll{1};

}  // namespace

CaptureLateness LatenessAgainstSchedule(const std::vector<uint64_t>& capturedUs,
                                        const std::vector<uint32_t>& dueMs) {
    CaptureLateness result;
    result.writes = capturedUs.size();
    if (capturedUs.size() != dueMs.size() || capturedUs.empty()) {
        result.error = std::to_string(capturedUs.size()) + " writes captured, " +
                       std::to_string(dueMs.size()) + " on the schedule";
        return result;
    }
    std::vector<double> lateMs;
    lateMs.reserve(capturedUs.size());
    size_t messageStart = 0;  // the first write of the messages due when the current one is
    result.squeezedMs = -std::numeric_limits<double>::infinity();
    for (size_t i = 0; i < capturedUs.size(); ++i) {
        const double sinceFirstMs =
            static_cast<double>(static_cast<int64_t>(capturedUs[i] - capturedUs[0])) / kUsPerMs;
        const double dueSinceFirstMs = static_cast<double>(int64_t{dueMs[i]} - int64_t{dueMs[0]});
        lateMs.push_back(sinceFirstMs - dueSinceFirstMs);
        if (dueMs[i] != dueMs[messageStart]) {
            const double gapMs = static_cast<double>(static_cast<int64_t>(
                                     capturedUs[i] - capturedUs[messageStart])) /
                                 kUsPerMs;
            const double fileGapMs = static_cast<double>(dueMs[i] - dueMs[messageStart]);
            result.squeezedMs = std::max(result.squeezedMs, fileGapMs - gapMs);
            result.squeezedMessages += fileGapMs - gapMs > kToleranceMs ? 1 : 0;
            messageStart = i;
        }
    }
    const auto worst = std::max_element(lateMs.begin(), lateMs.end());
    result.worstMs = *worst;
    result.worstWrite = static_cast<size_t>(worst - lateMs.begin());
    std::sort(lateMs.begin(), lateMs.end());
    result.p99Ms =
        lateMs[static_cast<size_t>(kPercentile * static_cast<double>(lateMs.size() - 1))];
    return result;
}

std::vector<uint32_t> ScheduledWriteTimesMs(const std::string& firmwarePath, std::string& error) {
    // A player of its own, as `check` uses: the process's one player may be in use.
    auto player = std::make_unique<CVexDataPlay>();
    if (!player->LoadFile(firmwarePath)) {
        error = "cannot load " + firmwarePath;
        return {};
    }
    DryRunReport run = RunDryRun(*player);
    if (!run.Succeeds() || !run.durationExact) {
        error = firmwarePath + " has no complete schedule timed to the millisecond";
        return {};
    }
    return std::move(run.writeTimesMs);
}

std::vector<uint64_t> CapturedWriteTimesUs(const std::string& capturePath, std::string& error) {
    std::ifstream in(capturePath);
    if (!in) {
        error = "cannot read the capture " + capturePath;
        return {};
    }
    std::vector<uint64_t> times;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        uint64_t timeUs = 0;
        uint32_t count = 0;
        if (!(fields >> timeUs >> count)) {
            error = "capture line of the wrong shape: '" + line + "'";
            return {};
        }
        times.push_back(timeUs);
    }
    return times;
}

bool WaitForCapturedWrites(const std::string& capturePath, size_t writes,
                           std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        size_t lines = 0;
        std::ifstream in(capturePath);
        for (std::string line; lines < writes && std::getline(in, line);) {
            ++lines;
        }
        if (lines >= writes) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(kCapturePoll);
    }
}

CaptureLateness MeasureCaptureLateness(const std::string& capturePath,
                                       const std::string& firmwarePath) {
    CaptureLateness result;
    const std::vector<uint32_t> due = ScheduledWriteTimesMs(firmwarePath, result.error);
    if (!result.error.empty()) {
        return result;
    }
    const std::vector<uint64_t> captured = CapturedWriteTimesUs(capturePath, result.error);
    if (!result.error.empty()) {
        return result;
    }
    return LatenessAgainstSchedule(captured, due);
}

}  // namespace tern::test
