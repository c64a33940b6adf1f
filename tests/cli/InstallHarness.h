// Runs tern-flash install in-process against the simulated bus on a virtual clock, so no test
// waits for discovery's pauses or the file's schedule, and collects what it printed and what
// reached the simulated port. Each test program holds its own install lock name, so test
// programs running side by side do not refuse each other.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/Console.h"
#include "cli/InstallCommand.h"
#include "cli/InterruptGate.h"
#include "devlink/Handles.h"
#include "platform/ComRuntime.h"
#include "platform/InstallLock.h"
#include "tests/cli/SampleCopy.h"
#include "tests/support/ComponentEnvironment.h"
#include "tests/support/Environment.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempDir.h"

namespace tern::test {

// One millisecond per reading, so the player's waits end; pauses pass at once. But readings
// never run ahead of the time that the pauses have passed: the run's main thread pauses
// between its looks at the play's progress, and so sees the play move on step by step, as
// in real time, instead of finding it over at the first look. A hook lets a test act at the
// first pause, in discovery.
class HookClock final : public platform::IClock {
public:
    uint32_t Now() override {
        m_reads.fetch_add(1);
        uint32_t now = m_now.load();
        while (now < m_limit.load() && !m_now.compare_exchange_weak(now, now + 1)) {
        }
        return now;
    }
    void Sleep(uint32_t ms) override {
        const uint32_t until = m_limit.fetch_add(ms) + ms;
        // A play gets to use the pause before it ends, unless no reading has come for a
        // while: no play has started yet, or it has ended, or it writes for that long.
        uint32_t reads = m_reads.load();
        for (auto lastRead = std::chrono::steady_clock::now();
             m_now.load() < until && std::chrono::steady_clock::now() - lastRead < kReaderGrace;) {
            std::this_thread::sleep_for(kReaderPoll);
            if (const uint32_t r = m_reads.load(); r != reads) {
                reads = r;
                lastRead = std::chrono::steady_clock::now();
            }
        }
        for (uint32_t now = m_now.load();
             now < until && !m_now.compare_exchange_weak(now, until);) {
        }
        if (m_onSleep && !m_slept.exchange(true)) {
            m_onSleep();
        }
    }
    // Set before the run starts.
    void OnFirstSleep(std::function<void()> hook) { m_onSleep = std::move(hook); }

private:
    static constexpr std::chrono::microseconds kReaderPoll{100};
    // Longer than a busy machine keeps a thread off its core, or takes to start one.
    static constexpr std::chrono::milliseconds kReaderGrace{50};

    std::atomic<uint32_t> m_now{0};
    std::atomic<uint32_t> m_limit{0};
    std::atomic<uint32_t> m_reads{0};
    std::atomic<bool> m_slept{false};
    std::function<void()> m_onSleep;
};

// An output stream that shows a hook everything written so far at each flush; the console
// flushes after every line.
class HookedBuffer final : public std::stringbuf {
public:
    std::function<void(const std::string&)> onLine;

protected:
    int sync() override {
        if (onLine) {
            onLine(str());
        }
        return 0;
    }
};

struct InstallResult {
    int status;
    std::string out;
    std::string err;
    std::vector<CapturedWrite> writes;
    int refused;
    cli::InstallReport report;
};

// Takes out of `err` the one line saying sleep could not be inhibited, which depends on the
// machine's system bus, not on the run (its own tests give it a bus); true when it was there.
inline bool TakeSleepNotice(std::string& err) {
    const std::string notice = "Sleep could not be inhibited";
    const size_t at = err.find(notice);
    if (at == std::string::npos || (at != 0 && err[at - 1] != '\n')) {
        return false;
    }
    const size_t end = err.find('\n', at);
    err.erase(at, end == std::string::npos ? std::string::npos : end - at + 1);
    return true;
}

class InstallTest : public testing::Test {
protected:
    // A lock of the test's own, so test programs running side by side never meet.
    InstallTest() { SetEnv(platform::kInstallLockVariable, m_dir.PathOf("install.lock")); }
    ~InstallTest() override { UnsetEnv(platform::kInstallLockVariable); }

    void TearDown() override {
        // Every object and list the run took from the bus is given back, and no handle is left.
        EXPECT_EQ(SimulatorCounts().liveObjects, 0);
        EXPECT_EQ(SimulatorCounts().misuses, 0);
        EXPECT_EQ(platform::GetTaskMemoryStats().outstanding, 0u);
        EXPECT_EQ(g_pCorvoAsync, nullptr);
        EXPECT_EQ(g_pFirmwarePort, nullptr);
    }

    // `arrange` may set hooks on the clock and on the output that reach the run's gate. An
    // output hook must not interrupt during the play: the refusal is written while the
    // console is busy with the line that called the hook.
    InstallResult Install(
        const std::string& path,
        cli::TerminalProgress::Style style = cli::TerminalProgress::Style::Lines,
        const std::function<void(HookClock&, HookedBuffer&, cli::InterruptGate&)>& arrange = {}) {
        const std::string capture = m_env.CaptureToFile();
        HookedBuffer outBuffer;
        std::ostream out(&outBuffer);
        std::ostringstream err;
        cli::Console console(out, err);
        cli::InterruptGate gate(console);
        HookClock clock;
        if (arrange) {
            arrange(clock, outBuffer, gate);
        }
        cli::InstallReport report;
        {
            platform::ScopedClock installed(clock);
            report = cli::RunInstall(path, console, gate, style, m_expectedSha256);
        }
        std::string errors = err.str();
        TakeSleepNotice(errors);
        const int status = report.result.exitStatus;
        return {status,         outBuffer.str(),  errors, ReadCapture(capture),
                gate.Refused(), std::move(report)};
    }

    ComponentEnvironment m_env;
    std::optional<platform::Sha256Digest> m_expectedSha256;  // what --sha256 would give
    TempDir m_dir;
    const std::string m_sample = CopyOfSample(m_dir);
};

}  // namespace tern::test
