// The window's run beside the Linux backend's peers: idle connections to the instance
// endpoint, the login manager's sleep inhibitor, a machine without a system bus, signals, a
// CPU-time limit.
#include <signal.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <iterator>

#include "app/SessionSignals.h"
#include "platform/InstallLock.h"
#include "platform/dialog/qt/SingleInstanceEndpoint.h"
#include "tests/support/CaptureTiming.h"
#include "tests/support/Environment.h"
#include "tests/support/ExpectedWrites.h"
#include "tests/support/linux/MockLogind.h"
#include "tests/support/linux/SocketPeers.h"
#include "tests/ui/InstallRunHarness.h"
#include "tests/ui/qt/SessionSignalsProbe.h"

namespace tern::test {
namespace {

using namespace std::chrono_literals;

TEST_F(InstallRun, IdleConnectionsToTheInstanceEndpointDelayNoWrite) {
    // The window serves the endpoint on the thread the progress updates wait on.
    const std::string program = "tern-test-run-" + std::to_string(getpid());
    platform::SingleInstance instance(program);
    ASSERT_EQ(instance.ClaimName(), platform::SingleInstance::Claim::First);
    const std::string endpoint = platform::SingleInstanceState::EndpointPath(program);
    m_capture = m_env.CaptureToFile();
    OpenFound("");
    const std::string firmware = m_files.Write("firmware.mid", samples::BuildSampleFirmware().file);
    Load(firmware);
    ChildProcess before = StartPeer(IdleConnectionsCommand(endpoint, 10), m_files.PathOf("1.err"));
    ASSERT_TRUE(before.WaitForOutput("open 10\n")) << before.Err();

    platform::SetClock(nullptr);  // this run keeps real time
    Click(*m_dlg, IDC_START);
    ChildProcess during = StartPeer(IdleConnectionsCommand(endpoint, 10), m_files.PathOf("2.err"));
    ASSERT_TRUE(RunEnded());
    EXPECT_EQ(Text(IDC_STATUS), "Don't close this dialog until Ostrel completes rebooting.");

    const CaptureLateness late = MeasureCaptureLateness(m_capture, firmware);
    ASSERT_EQ(late.error, "");
    // Each idle connection used to hold a write back by a second; a loaded machine's own
    // stalls stay far below this margin.
    EXPECT_LT(late.worstMs, kStallMarginMs) << "write " << late.worstWrite;
}

TEST_F(InstallRun, SleepShutdownAndLogoutAreInhibitedExactlyWhileTheWritesGoOut) {
    PrivateBus bus(m_files);  // the system bus, and with the portal the session bus too
    MockLogind logind(m_files, bus);
    MockPortal portal(m_files, bus);
    ASSERT_FALSE(HasFailure());
    // Slow writes stretch the transfer; and the worker waits for this thread at its next
    // progress update, so the run cannot end while the test asks.
    StartRun("write_latency_us = 20000\n", samples::BuildSampleFirmware().file);
    ASSERT_TRUE(ServeUntil([this] { return !ReadLines(m_capture).empty(); }, 60s));
    const std::vector<Inhibitor> held = logind.Client().ListInhibitors();
    ASSERT_EQ(held.size(), 1u);
    EXPECT_EQ(held[0].what, "shutdown:sleep:idle");
    EXPECT_EQ(held[0].mode, "block");
    EXPECT_EQ(held[0].who, "Tern Update Program");
    // Logout, suspend and idle (1 | 4 | 8), asked once and not yet given back.
    EXPECT_EQ(portal.InhibitFlags(), std::vector<uint32_t>{13});
    EXPECT_EQ(portal.Closes(1), 0u);

    ASSERT_TRUE(RunEnded());
    ExpectEnded("Don't close this dialog until Ostrel completes rebooting.", 255);
    EXPECT_EQ(logind.Client().InhibitCalls().size(), 1u);
    EXPECT_TRUE(logind.Client().AwaitInhibitorCount(0));
    EXPECT_TRUE(ServeUntil([&] { return portal.Closes(1) == 1; }, 10s));
    EXPECT_EQ(portal.InhibitFlags().size(), 1u);
}

TEST_F(InstallRun, WhileItWritesTheWindowRefusesTheSessionsSignalsAndActsOnThemAfter) {
    SessionSignalsProbe& probe = TheSessionSignalsProbe();
    probe.endedBy = 0;
    probe.stops = 0;
    CSessionSignals& sessionSignals = *CSessionSignals::Current();
    const int refusedBefore = sessionSignals.Refused();
    const auto sample = samples::BuildSampleFirmware();
    StartRun("write_latency_us = 20000\n", sample.file);
    const CSessionSignals::Attachment attached(*m_dlg);
    ASSERT_TRUE(ServeUntil([this] { return !ReadLines(m_capture).empty(); }, 60s));
    // A closed terminal, Ctrl+C and Ctrl+\ typed in it, a logout, Ctrl+Z; other programs'
    // and the system's: to the process.
    const int sent[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGTERM, SIGTSTP,
                        SIGUSR1, SIGXCPU, SIGPWR,  SIGTTOU, SIGRTMAX};
    for (const int signal : sent) {
        ASSERT_EQ(kill(getpid(), signal), 0);
    }
    ASSERT_EQ(kill(getpid(), SIGPIPE), 0);  // ignored: neither refused nor acted on
    EXPECT_TRUE(ServeUntil(
        [&] {
            return sessionSignals.Refused() == refusedBefore + static_cast<int>(std::size(sent));
        },
        10s));
    ASSERT_TRUE(RunEnded());
    ExpectEnded("Don't close this dialog until Ostrel completes rebooting.", 255);
    EXPECT_EQ(ReadCapture(m_capture).size(), ExpectedWrites(sample.sysex).size());
    EXPECT_EQ(probe.endedBy.load(), 0);
    EXPECT_EQ(probe.stops.load(), 0);

    // Once the run has ended they act as they always have.
    ASSERT_EQ(kill(getpid(), SIGTSTP), 0);
    EXPECT_TRUE(ServeUntil([&] { return probe.stops == 1; }, 10s));
    ASSERT_EQ(kill(getpid(), SIGTTIN), 0);
    EXPECT_TRUE(ServeUntil([&] { return probe.stops == 2; }, 10s));
    ASSERT_EQ(kill(getpid(), SIGHUP), 0);
    EXPECT_TRUE(ServeUntil([&] { return probe.endedBy == SIGHUP; }, 10s));
    EXPECT_EQ(sessionSignals.Refused(), refusedBefore + static_cast<int>(std::size(sent)));
}

// In a child whose hard CPU-time limit leaves 8 s to 9 s, less than the run's margin alone:
// the run is refused in the status line before the first write. Ends with 0 when so.
class InstallRunDeathTest : public InstallRun {
protected:
    [[noreturn]] void RunUnderLimit() {
        timespec used{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
        const auto seconds = static_cast<rlim_t>(used.tv_sec + 9);
        const rlimit limit{seconds, seconds};
        setrlimit(RLIMIT_CPU, &limit);
        StartRun("", samples::BuildSampleFirmware().file);
        const std::string status = RunEnded() ? Text(IDC_STATUS) : "";
        std::_Exit(status.starts_with("The CPU-time limit, ") &&
                           status.ends_with("; nothing was written.") &&
                           ReadCapture(m_capture).empty()
                       ? 0
                       : 1);
    }
};

TEST_F(InstallRunDeathTest, ACpuTimeLimitTooShortForTheTransferIsRefused) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RunUnderLimit(), testing::ExitedWithCode(0), "");
}

// A folder where the lock file should be: the lock cannot be taken there, and says why.
TEST_F(InstallRun, ALockThatCannotBeTakenIsRefusedWithItsReason) {
    const char* const ownLock = std::getenv(platform::kInstallLockVariable);
    ASSERT_NE(ownLock, nullptr);  // each test program sets its own
    const std::string restore = ownLock;
    SetEnv(platform::kInstallLockVariable, m_files.Path());  // a folder: never a lock file
    StartRun("", samples::BuildSampleFirmware().file);
    ASSERT_TRUE(RunEnded());
    SetEnv(platform::kInstallLockVariable, restore);
    const std::string status = Text(IDC_STATUS);
    const std::string before = "The install lock cannot be taken (";
    const std::string after = "); nothing was written.";
    ASSERT_GT(status.size(), before.size() + after.size()) << status;  // a reason in between
    EXPECT_EQ(status.substr(0, before.size()), before);
    EXPECT_EQ(status.substr(status.size() - after.size()), after);
    EXPECT_TRUE(ReadCapture(m_capture).empty());
}

TEST_F(InstallRun, WithoutASystemBusTheRunStillInstalls) {
    SystemBusAddress nowhere("unix:path=" + m_files.PathOf("no-bus"));
    const auto sample = samples::BuildSampleFirmware();
    StartRun("", sample.file);
    ASSERT_TRUE(RunEnded());
    ExpectEnded("Don't close this dialog until Ostrel completes rebooting.", 255);
    EXPECT_EQ(ReadCapture(m_capture).size(), ExpectedWrites(sample.sysex).size());
}

}  // namespace
}  // namespace tern::test
