// tern-flash install at a real terminal (a pseudo-terminal) whose output is stopped with
// Ctrl+S for longer than the whole transfer, while Ctrl+C is sent and refused: the writes
// keep their schedule, and everything held back appears once Ctrl+Q lets it through.
#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "cli/ExitStatus.h"
#include "engine/StatusCodes.h"
#include "tests/cli/InstallHarness.h"
#include "tests/support/CaptureTiming.h"
#include "tests/support/linux/TerminalChild.h"

namespace tern::test {
namespace {

using namespace std::chrono_literals;

constexpr char kCtrlS[] = "\x13";
constexpr char kCtrlQ[] = "\x11";
// The sample's transfer takes about 2.5 s.
constexpr auto kStoppedFor = 3500ms;
// For the terminal to act on Ctrl+S before the refusal is written.
constexpr auto kStopSettles = 100ms;
// Discovery waits two seconds; sanitizer builds on a busy machine take longer.
constexpr auto kStartLimit = 60s;
constexpr auto kEndLimit = 60s;

class TernFlashTerminal : public InstallTest {};

TEST_F(TernFlashTerminal, StoppedOutputAndARefusedInterruptDoNotDelayAnyWrite) {
    const std::string capture = m_env.CaptureToFile();
    TerminalChild child(TERN_FLASH_EXE, {"install", m_sample});
    ASSERT_TRUE(child.Started());
    // Once the transfer is under way: a stop before its first write would only delay it all.
    ASSERT_TRUE(WaitForCapturedWrites(capture, 1, kStartLimit)) << child.Screen();
    ASSERT_TRUE(child.Type(kCtrlS));
    std::this_thread::sleep_for(kStopSettles);
    child.Signal(SIGINT);  // its refusal, too, waits for the terminal
    std::this_thread::sleep_for(kStoppedFor);
    // Its last lines are still held back: the stop was in force until now.
    EXPECT_TRUE(child.Running());
    ASSERT_TRUE(child.Type(kCtrlQ));
    EXPECT_EQ(child.Finish(kEndLimit), cli::kExitSuccess) << child.Screen();

    const std::string& screen = child.Screen();
    EXPECT_NE(screen.find(kTextInstalling), std::string::npos) << screen;
    EXPECT_NE(screen.find("Interrupt refused"), std::string::npos) << screen;
    // The last position reaches the screen, however many a look at the play skipped.
    EXPECT_NE(screen.find("] 100%  42864 / 42864 bytes  0 ms left"), std::string::npos) << screen;
    EXPECT_NE(screen.find(kTextRebooting), std::string::npos) << screen;

    const CaptureLateness late = MeasureCaptureLateness(capture, m_sample);
    ASSERT_EQ(late.error, "");
    EXPECT_EQ(late.writes, 67u);
    EXPECT_LT(late.worstMs, kStallMarginMs) << "write " << late.worstWrite;
    EXPECT_LT(late.p99Ms, kStallMarginMs);
}

}  // namespace
}  // namespace tern::test
