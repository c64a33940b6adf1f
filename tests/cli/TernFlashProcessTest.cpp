// The real tern-flash program: its command line, exit statuses of each command against the
// simulator, the install lock across processes, and Ctrl+C as a user sends it. An install
// waits out discovery's two-second settle pause in real time, so there are only a few.
#include <csignal>

#include <gtest/gtest.h>

#include "cli/ExitStatus.h"
#include "engine/StatusCodes.h"
#include "platform/InstallLock.h"
#include "samples/SmfWriter.h"
#include "tests/cli/InstallHarness.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

namespace tern::test {
namespace {

using samples::TrackWriter;

class TernFlashProcess : public InstallTest {
protected:
    // The child inherits this process's variables: the component folder, the scenario and
    // the install lock's name.
    ChildProcess Run(const std::vector<std::string>& args) {
        return ChildProcess(TERN_FLASH_EXE, args, m_dir.PathOf("stderr.txt"));
    }

    const std::string m_small = m_dir.Write(
        "small.mid",
        samples::MakeSmf(
            0, 480,
            {TrackWriter().SysEx(0, {0x01, 0x02}).SysEx(48, {0x03}).EndOfTrack().Events()}));
};

TEST_F(TernFlashProcess, ExitStatusesFollowTheOutcome) {
    const std::string failing = m_dir.Write(
        "failing.mid", samples::MakeSmf(0, 480, {TrackWriter().SysEx(0, {0x01}).Events()}));
    struct Case {
        const char* scenario;
        std::vector<std::string> args;
        int status;
        std::string inOut;
        std::string inErr;
    };
    const Case cases[] = {
        {"", {}, cli::kExitUsage, "", "subcommand is required"},
        {"", {"frobnicate"}, cli::kExitUsage, "", ""},
        {"", {"check"}, cli::kExitUsage, "", "FILE"},
        {"", {"install"}, cli::kExitUsage, "", "FILE"},
        {"", {"check", "a.mid", "b.mid"}, cli::kExitUsage, "", ""},
        {"", {"list", "extra"}, cli::kExitUsage, "", ""},
        {"", {"--help"}, cli::kExitSuccess, "install", ""},
        {"", {"list", "--help"}, cli::kExitSuccess, "List the bus nodes", ""},
        {"", {"check", "--help"}, cli::kExitSuccess, "play it dry", ""},
        {"", {"install", "--help"}, cli::kExitSuccess, "Ctrl+C", ""},
        {"", {"--version"}, cli::kExitSuccess, "tern-flash 1.0.0\n", ""},
        {"", {"list"}, cli::kExitSuccess, "FIRM (0x4649524D), firmware port", ""},
        {"create_fails = 1\n", {"list"}, cli::kExitDeviceLink, "", "Can not get FW interface!!"},
        {"", {"check", m_dir.PathOf("no/such.mid")}, cli::kExitFile, "", "could not be opened"},
        // A path from the root is a path on every platform, never a "/option".
        {"",
         {"check", "/nonexistent-tern-folder/x.mid"},
         cli::kExitFile,
         "",
         "could not be opened"},
        {"", {"check", m_small}, cli::kExitSuccess, kTextRebooting, ""},
        {"", {"check", failing}, cli::kExitTransfer, "Reason:       event 2 at offset 12", ""},
        {"", {"install", m_small}, cli::kExitSuccess, kTextRebooting, ""},
        {"create_fails = 1\n",
         {"install", m_small},
         cli::kExitDeviceLink,
         "",
         "Can not get FW interface!!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args) + " " + c.scenario);
        m_env.SetScenario(c.scenario);
        ChildProcess child = Run(c.args);
        EXPECT_EQ(child.Finish(), c.status) << child.Out() << child.Err();
        EXPECT_NE(child.Out().find(c.inOut), std::string::npos) << child.Out();
        EXPECT_NE(child.Err().find(c.inErr), std::string::npos) << child.Err();
    }
}

TEST_F(TernFlashProcess, RefusesWhileAnotherProcessHoldsTheInstallLock) {
    platform::InstallLock held;
    ASSERT_TRUE(held.TryAcquire().Taken());
    ChildProcess child = Run({"install", m_small});
    EXPECT_EQ(child.Finish(), cli::kExitDeviceLink);
    EXPECT_NE(child.Err().find("Another installation is running"), std::string::npos);
    EXPECT_EQ(child.Out(), "");
}

TEST_F(TernFlashProcess, CtrlCBeforeTheTransferEndsTheProgram) {
    m_env.SetScenario("nodes =\n");  // eleven attempts a second apart: time to interrupt
    ChildProcess child = Run({"install", m_small});
    ASSERT_TRUE(child.WaitForOutput("attempt 1:")) << child.Out();
    child.Signal(SIGINT);
    EXPECT_EQ(child.Finish(), cli::kExitSignalBase + SIGINT);
    EXPECT_NE(child.Err().find("nothing was written"), std::string::npos) << child.Err();
    EXPECT_EQ(child.Out().find("attempt 11"), std::string::npos) << "discovery was not stopped";
}

TEST_F(TernFlashProcess, CtrlCDuringTheTransferIsRefusedUntilItEnds) {
    // The second message is due 1.5 s after the first: the play is still running when the
    // signal comes.
    const std::string slow = m_dir.Write(
        "slow.mid",
        samples::MakeSmf(
            0, 480, {TrackWriter().SysEx(0, {0x01}).SysEx(1440, {0x02}).EndOfTrack().Events()}));
    ChildProcess child = Run({"install", slow});
    ASSERT_TRUE(child.WaitForOutput("Progress:")) << child.Out();
    child.Signal(SIGINT);
    EXPECT_EQ(child.Finish(), cli::kExitSuccess) << child.Err();
    EXPECT_NE(child.Err().find("Interrupt refused"), std::string::npos) << child.Err();
    EXPECT_NE(child.Out().find(kTextRebooting), std::string::npos) << child.Out();
}

}  // namespace
}  // namespace tern::test
