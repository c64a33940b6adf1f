// tern-flash install keeps the machine awake exactly while its writes go out, asking a mock
// logind on a private system bus, and installs all the same where there is no bus to ask.
#include <signal.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "cli/ExitStatus.h"
#include "cli/JsonReport.h"
#include "tests/cli/InstallHarness.h"
#include "tests/support/CaptureTiming.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Environment.h"
#include "tests/support/TextLines.h"
#include "tests/support/linux/MockLogind.h"
#include "tests/support/linux/OtherUser.h"

namespace tern::test {
namespace {

using namespace std::chrono_literals;

// Discovery's two-second pause, under a sanitizer on a loaded machine.
constexpr auto kFirstWriteLimit = 60s;
// Slow writes keep the transfer going for seconds after its first write.
constexpr char kSlowWrites[] = "write_latency_us = 20000\n";
constexpr size_t kSampleWrites = 67;

void ExpectTheProgramsInhibitor(const std::vector<Inhibitor>& held) {
    ASSERT_EQ(held.size(), 1u);
    EXPECT_EQ(held[0].what, "shutdown:sleep:idle");
    EXPECT_EQ(held[0].mode, "block");
    EXPECT_EQ(held[0].who, "Tern Update Program");
}

class SleepInhibit : public InstallTest {
protected:
    // The child inherits the system bus address, the component folder, the scenario, the
    // capture and the install lock's name.
    ChildProcess StartInstall() {
        return ChildProcess(TERN_FLASH_EXE, {"install", m_sample}, m_dir.PathOf("stderr.txt"));
    }
};

TEST_F(SleepInhibit, TernFlashHoldsOneInhibitorFromItsFirstWriteUntilItEnds) {
    PrivateBus bus(m_dir);
    MockLogind logind(m_dir, bus);
    ASSERT_FALSE(HasFailure());
    m_env.SetScenario(kSlowWrites);
    const std::string capture = m_env.CaptureToFile();
    ChildProcess child = StartInstall();
    ASSERT_TRUE(WaitForCapturedWrites(capture, 1, kFirstWriteLimit)) << child.Err();
    // Stopped, the program can neither finish its writes nor let go while the mock is asked.
    child.Signal(SIGSTOP);
    const std::vector<Inhibitor> held = logind.Client().ListInhibitors();
    child.Signal(SIGCONT);
    ExpectTheProgramsInhibitor(held);

    EXPECT_EQ(child.Finish(), cli::kExitSuccess) << child.Err();
    EXPECT_EQ(ReadCapture(capture).size(), kSampleWrites);
    EXPECT_EQ(logind.Client().InhibitCalls().size(), 1u);
    EXPECT_TRUE(logind.Client().AwaitInhibitorCount(0));
}

TEST_F(SleepInhibit, AnInstallLetsGoOnceItsWritesAreDone) {
    // In this process, unlike in a program that exits, nothing closes a forgotten inhibitor.
    PrivateBus bus(m_dir);
    MockLogind logind(m_dir, bus);
    ASSERT_FALSE(HasFailure());
    const InstallResult run = Install(m_sample);
    EXPECT_EQ(run.status, cli::kExitSuccess) << run.err;
    EXPECT_EQ(run.writes.size(), kSampleWrites);
    EXPECT_EQ(logind.Client().InhibitCalls().size(), 1u);
    EXPECT_TRUE(logind.Client().AwaitInhibitorCount(0));
}

TEST_F(SleepInhibit, WithoutASystemBusTernFlashInstallsAndSaysSoInOneLine) {
    SystemBusAddress nowhere("unix:path=" + m_dir.PathOf("no-bus"));
    const std::string capture = m_env.CaptureToFile();
    ChildProcess child = StartInstall();
    EXPECT_EQ(child.Finish(), cli::kExitSuccess) << child.Err();
    EXPECT_EQ(ReadCapture(capture).size(), kSampleWrites);
    const std::vector<std::string> err = Lines(child.Err());
    ASSERT_EQ(err.size(), 1u) << child.Err();
    EXPECT_EQ(err[0].rfind("Sleep could not be inhibited", 0), 0u) << err[0];
}

TEST_F(SleepInhibit, WithoutTheRightToRaiseItsPriorityTheTransferAsksRealtimeKit) {
    if (!CanActAsOtherUser()) {
        GTEST_SKIP() << "only root can run the program as another, unprivileged user";
    }
    PrivateBus bus(m_dir);
    MockRealtimeKit rtkit(m_dir, bus);
    ASSERT_FALSE(HasFailure());
    // The other user passes through the test's folder to the sample and the bus, and makes
    // the lock and the capture in a shared one.
    const std::string shared = m_dir.PathOf("shared");
    ASSERT_EQ(mkdir(shared.c_str(), 0700), 0);
    OpenToOtherUser(m_dir.Path(), false);
    OpenToOtherUser(shared, true);
    SetEnv(platform::kInstallLockVariable, shared + "/install.lock");
    SetEnv("CORVO_SIM_CAPTURE", shared + "/capture.txt");
    ChildProcess child(kSetpriv, AsOtherUser({TERN_FLASH_EXE, "install", m_sample}),
                       m_dir.PathOf("stderr.txt"));
    EXPECT_EQ(child.Finish(), cli::kExitSuccess) << child.Err();
    EXPECT_EQ(ReadCapture(shared + "/capture.txt").size(), kSampleWrites);
    // Once, for the transfer's thread, at the nice level root would take.
    const auto calls = rtkit.HighPriorityCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_GT(calls[0].first, 0u);
    EXPECT_EQ(calls[0].second, -10);
}

TEST_F(SleepInhibit, TheDocumentCarriesTheWarningOfTheErrorStream) {
    SystemBusAddress nowhere("unix:path=" + m_dir.PathOf("no-bus"));
    const InstallResult r = Install(m_sample);
    ASSERT_EQ(r.status, cli::kExitSuccess) << r.err;
    const nlohmann::json warnings =
        nlohmann::json::parse(cli::InstallDocument(r.report))["warnings"];
    ASSERT_EQ(warnings.size(), 1u) << warnings;
    const std::string warning = warnings[0];
    EXPECT_EQ(warning.rfind("Sleep could not be inhibited", 0), 0u) << warning;
}

}  // namespace
}  // namespace tern::test
