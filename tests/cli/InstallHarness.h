// Runs tern-flash install in-process against the simulated bus on a virtual clock, so no test
// waits for discovery's pauses or the file's schedule, and collects what it printed and what
// reached the simulated port. Each test program holds its own install lock name, so test
// programs running side by side do not refuse each other.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Console.h"
#include "cli/InstallCommand.h"
#include "cli/InterruptGate.h"
#include "devlink/Handles.h"
#include "platform/ComRuntime.h"
#include "platform/FakeClock.h"
#include "platform/InstallLock.h"
#include "tests/cli/SampleCopy.h"
#include "tests/support/ComponentEnvironment.h"
#include "tests/support/Environment.h"
#include "tests/support/TempDir.h"

namespace tern::test {

// One millisecond per reading, so the player's waits end; pauses pass at once. A hook lets a
// test act at the first pause, in discovery.
class HookClock final : public platform::IClock {
public:
    uint32_t Now() override { return m_now.fetch_add(1); }
    void Sleep(uint32_t ms) override {
        m_now.fetch_add(ms);
        if (m_onSleep && !m_slept.exchange(true)) {
            m_onSleep();
        }
    }
    // Set before the run starts.
    void OnFirstSleep(std::function<void()> hook) { m_onSleep = std::move(hook); }

private:
    std::atomic<uint32_t> m_now{0};
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
};

inline std::string TestLockName() {
    return "tern-test/install/" + std::to_string(ProcessId());
}

class InstallTest : public testing::Test {
protected:
    InstallTest() { SetEnv(platform::kInstallLockVariable, TestLockName()); }
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
        int status;
        {
            platform::ScopedClock installed(clock);
            status = cli::RunInstall(path, console, gate, style);
        }
        return {status, outBuffer.str(), err.str(), ReadCapture(capture), gate.Refused()};
    }

    ComponentEnvironment m_env;
    TempDir m_dir;
    const std::string m_sample = CopyOfSample(m_dir);
};

}  // namespace tern::test
