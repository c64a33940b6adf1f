// tern-flash install at a real terminal (a pseudo-terminal), disturbed once its transfer is
// under way as a person's session disturbs it: output stopped with Ctrl+S for longer than the
// whole transfer while Ctrl+C is held; the terminal closed; Ctrl+\; Ctrl+Z under an
// interactive shell's job control; a pipe whose reader has gone; and as other programs and
// the system do: signals, a background job's output under `stty tostop`, a CPU-time limit.
// Every write goes out on schedule, or none when the run is refused, and the exit status says
// what happened.
#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "cli/ExitStatus.h"
#include "status/StatusCodes.h"
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
// The sample's messages are at most this far apart.
constexpr double kSampleGapMs = 50;
// A thread held up between the player's last look at the clock and the port's entry is a
// stall no player can see: on a loaded machine one message of a run may follow the one before
// it sooner than its gap allows (a burst after a stall squeezes them all), and a sanitizer
// build on a loaded machine is held up more often. Timing is the plain build's to check.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr size_t kSqueezedMessagesAllowed = 67;
#else
constexpr size_t kSqueezedMessagesAllowed = 1;
#endif

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
    // The interrupt was held, and acted on once the transfer had ended.
    EXPECT_EQ(child.Finish(kEndLimit), cli::kExitSignalBase + SIGINT) << child.Screen();

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

struct Disturbance {
    const char* name;
    std::vector<std::string>
        args;  // of /bin/bash; "FLASH" and "FILE" stand for the program and the sample
    std::function<void(TerminalChild&)> disturb;     // once the first write has gone out
    std::function<void(TerminalChild&)> afterwards;  // once every write has gone out
    int status;
    std::vector<const char*> onScreen;  // empty when the terminal is gone
    std::string typed = {};             // at an interactive shell's prompt, when args start one
    bool refused = false;               // nothing may be written
    double stalledMs = 0;               // how long the disturbance holds the transfer up
};

TEST_F(TernFlashTerminal, NothingThePersonsSessionDoesCutsTheTransferShort) {
    const auto none = [](TerminalChild&) {};
    const std::vector<std::string> direct = {"-c", "exec \"$0\" install \"$1\"", "FLASH", "FILE"};
    const std::vector<std::string> interactive = {"--norc", "--noprofile", "-is", "FLASH", "FILE"};
    const auto limited = [](const std::string& limit) {
        return std::vector<std::string>{"-c", limit + "; exec \"$0\" --json install \"$1\"",
                                        "FLASH", "FILE"};
    };
    // The job stops once the transfer has ended; fg lets it finish.
    const auto stoppedThenContinued = [](TerminalChild& t) {
        EXPECT_TRUE(t.WaitForOutput("Stopped", kEndLimit)) << t.Screen();
        t.Type("fg\n");
        EXPECT_TRUE(t.WaitForOutput("Schedule kept", kEndLimit)) << t.Screen();
        t.Type("exit $?\n");
    };
    const Disturbance cases[] = {
        {"the terminal closed",
         direct,
         [](TerminalChild& t) { t.HangUp(); },
         none,
         cli::kExitSignalBase + SIGHUP,
         {}},
        {"Ctrl+\\",
         direct,
         [](TerminalChild& t) { t.Type("\x1c"); },
         none,
         cli::kExitSignalBase + SIGQUIT,
         {"Ctrl+\\ (SIGQUIT) is held", "came during the transfer and was held", kTextRebooting}},
        // The reader takes the first line and goes; the status is tern-flash's own.
        {"a pipe whose reader exits",
         {"-c", "\"$0\" install \"$1\" | head -n 1; exit ${PIPESTATUS[0]}", "FLASH", "FILE"},
         none,
         none,
         cli::kExitSuccess,
         {}},
        {"Ctrl+Z under an interactive shell",
         interactive,
         [](TerminalChild& t) { t.Type("\x1a"); },
         stoppedThenContinued,
         cli::kExitSuccess,
         {"Ctrl+Z (SIGTSTP) held", kTextRebooting},
         "\"$1\" install \"$2\""},
        // What other programs and the system send.
        {"SIGUSR1",
         direct,
         [](TerminalChild& t) { t.Signal(SIGUSR1); },
         none,
         cli::kExitSignalBase + SIGUSR1,
         {"Interrupt refused: SIGUSR1 is held", "came during the transfer and was held"}},
        {"a real-time signal",
         direct,
         [](TerminalChild& t) { t.Signal(SIGRTMIN + 2); },
         none,
         cli::kExitSignalBase + SIGRTMIN + 2,
         {"real-time signal SIGRTMIN+2 is held", kTextRebooting}},
        {"SIGTTOU sent to a background job",
         interactive,
         [](TerminalChild& t) { t.Type("kill -TTOU %1\n"); },
         stoppedThenContinued,
         cli::kExitSuccess,
         {"(SIGTTOU) held", kTextRebooting},
         "set -b; \"$1\" install \"$2\" &"},
        // Its output to the terminal would stop it.
        {"a background job under stty tostop",
         interactive,
         none,
         none,
         cli::kExitSuccess,
         {kTextRebooting},
         "stty tostop; \"$1\" install \"$2\" & wait $!; exit $?"},
        // Raised to the hard limit, which has none.
        {"a soft CPU-time limit", limited("ulimit -S -t 1"), none, none, cli::kExitSuccess, {}},
        // Short of the margin alone; enough for a sanitizer build to reach the check.
        {"a hard CPU-time limit",
         limited("ulimit -t 5"),
         none,
         none,
         cli::kExitResources,
         {"The CPU-time limit, 5 s (ulimit -t), is too short", "\"limit_ms\": 5000"},
         "",
         true},
        // What no program can hold: the messages due meanwhile then keep their gaps instead
        // of following at once, and the report says how far the schedule moved.
        {"stopped and continued",
         direct,
         [](TerminalChild& t) {
             t.Signal(SIGSTOP);
             std::this_thread::sleep_for(kStoppedFor / 2);
             t.Signal(SIGCONT);
         },
         none,
         cli::kExitSuccess,
         {"ms later after the program was held up", kTextRebooting},
         "",
         false,
         std::chrono::duration<double, std::milli>(kStoppedFor / 2).count()},
    };
    for (const Disturbance& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string capture = m_env.CaptureToFile();
        std::vector<std::string> args;
        for (const std::string& a : c.args) {
            args.push_back(a == "FLASH" ? TERN_FLASH_EXE : a == "FILE" ? m_sample : a);
        }
        TerminalChild child("/bin/bash", args);
        ASSERT_TRUE(child.Started());
        if (!c.typed.empty()) {
            child.Type(c.typed + "\n");
        }
        ASSERT_TRUE(c.refused || WaitForCapturedWrites(capture, 1, kStartLimit)) << child.Screen();
        c.disturb(child);
        ASSERT_TRUE(c.refused || WaitForCapturedWrites(capture, 67, kEndLimit)) << child.Screen();
        c.afterwards(child);
        EXPECT_EQ(child.Finish(kEndLimit), c.status) << child.Screen();
        for (const char* text : c.onScreen) {
            EXPECT_NE(child.Screen().find(text), std::string::npos) << text << "\n"
                                                                    << child.Screen();
        }
        if (c.refused) {
            EXPECT_TRUE(ReadCapture(capture).empty());
            continue;
        }
        const CaptureLateness late = MeasureCaptureLateness(capture, m_sample);
        ASSERT_EQ(late.error, "");
        EXPECT_EQ(late.writes, 67u);
        EXPECT_LT(late.worstMs, kStallMarginMs + c.stalledMs) << "write " << late.worstWrite;
        // The schedule moved by the stall, less the gap that the stop fell into.
        EXPECT_GE(late.worstMs, c.stalledMs - kSampleGapMs);
        // Whatever held the transfer up, the messages came no sooner than the file spaces them,
        // less the tick counter's millisecond.
        EXPECT_LE(late.squeezedMessages, kSqueezedMessagesAllowed) << late.squeezedMs << " ms";
    }
}

}  // namespace
}  // namespace tern::test
