// The program's window losing its display on a real X server (Xvfb): the server ends,
// another client closes the window's connection (xkill) or destroys the window (xdotool),
// during a transfer started from the keyboard as a person starts one, and with none.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <thread>

#include "tests/support/CaptureTiming.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ComponentEnvironment.h"
#include "tests/support/ExpectedWrites.h"
#include "tests/support/TempDir.h"

namespace tern::test {
namespace {

using namespace std::chrono_literals;

struct LossCase {
    const char* name;
    const char* loss;  // the X client that takes the window, given its id; "": the server ends
    bool run;          // a transfer is writing when the window goes
    const char* scenario;
    int status;
    const char* stderrText;
    int writes;  // -1: every write of the sample
};

constexpr char kInstalled[] = "Don't close this dialog until Ostrel completes rebooting.";
const LossCase kCases[] = {
    {"ServerEndsDuringARun", "", true, "", 0, kInstalled, -1},
    {"ConnectionClosedDuringARun", "xkill -id", true, "", 0, kInstalled, -1},
    {"WindowDestroyedDuringARun", "xdotool windowclose", true, "", 0, kInstalled, -1},
    {"ServerEndsDuringARunThatFails", "", true, "write_fails_at = 40\n", 4,
     "FW communication error!!", 40},
    {"ServerEndsWithNoRun", "", false, "", 1, "no firmware was written", 0},
    {"WindowDestroyedWithNoRun", "xdotool windowclose", false, "", 1, "no firmware was written", 0},
};

// The first line `command` prints on `display`; it is killed after 20 s.
std::string OnDisplay(const std::string& display, const std::string& command, const TempDir& dir) {
    std::string out;
    RunToEnd("/usr/bin/timeout",
             {"-s", "KILL", "20", "/bin/sh", "-c", "export DISPLAY=" + display + "; " + command},
             dir.PathOf("x.err"), &out);
    return out.substr(0, out.find('\n'));
}

// Presses Enter in `window` until the file dialog is `shown` or not, for 30 s at most. With
// `retype`, the path goes in again now and then, in case the dialog's field missed keys.
bool EnterUntilFileDialog(bool shown, const std::string& display, const std::string& window,
                          const TempDir& dir, const std::string& retype = {}) {
    for (int i = 0; i < 100; ++i) {
        if (OnDisplay(display, "xdotool search --name '^Open$'", dir).empty() != shown) {
            return true;
        }
        const std::string focus = "xdotool windowfocus --sync " + window;
        if (!retype.empty() && i % 5 == 0) {
            OnDisplay(display, focus + " key ctrl+a", dir);
            OnDisplay(display, focus + " type " + retype, dir);  // type takes the rest
        }
        OnDisplay(display, focus + " key Return", dir);
        std::this_thread::sleep_for(300ms);
    }
    return false;
}

// Clicks the main window's Start button, at its place in the dialog's layout (343 by 119
// units; Start at 252,90, 69 by 15) scaled to the window's size.
void ClickStart(const std::string& display, const std::string& window, const TempDir& dir) {
    OnDisplay(display,
              "eval $(xdotool getwindowgeometry --shell " + window + "); xdotool mousemove " +
                  "--window " + window + " --sync $((WIDTH * 573 / 686)) $((HEIGHT * 195 / 238))" +
                  " click 1",
              dir);
}

class DisplayLoss : public testing::TestWithParam<LossCase> {};

TEST_P(DisplayLoss, ARunEndsWholeAndTheProcessEndsWithItsOutcome) {
    const LossCase& c = GetParam();
    ComponentEnvironment env;
    env.SetScenario(std::string("write_latency_us = 20000\n") + c.scenario);  // a longer run
    const std::string capture = env.CaptureToFile();
    TempDir dir;
    const auto sample = samples::BuildSampleFirmware();
    const std::string firmware = dir.Write("firmware.mid", sample.file);
    ChildProcess server("/usr/bin/Xvfb", {"-displayfd", "1", "-nolisten", "tcp"},
                        dir.PathOf("xvfb.err"));
    ASSERT_TRUE(server.WaitForOutput("\n")) << server.Err();
    const std::string display = ":" + server.Out().substr(0, server.Out().find('\n'));
    // Sanitizer builds: X's keymap library hands strndup names not ended within its bound.
    const char* const asan = std::getenv("ASAN_OPTIONS");
    ChildProcess program(
        "/usr/bin/env",
        {"QT_QPA_PLATFORM=xcb", "DISPLAY=" + display,
         "ASAN_OPTIONS=" + std::string(asan ? asan : "") + ":strict_string_checks=0",
         TERN_UPDATE_EXE},
        dir.PathOf("tern-update.err"));
    const std::string window =
        OnDisplay(display, "xdotool search --sync --name '^Tern Update Program$'", dir);
    ASSERT_FALSE(window.empty());
    if (c.run) {
        // Enter on Browse (enabled once the port is found), the path in the file dialog and
        // Enter (a first one may only close its completion list).
        ASSERT_TRUE(EnterUntilFileDialog(true, display, window, dir));
        const std::string files = OnDisplay(display, "xdotool search --name '^Open$'", dir);
        ASSERT_TRUE(EnterUntilFileDialog(false, display, files, dir, firmware));
        // Start is enabled once the file has loaded and played dry, which a loaded sanitizer
        // build takes its time over; a disabled button is not a tab stop, so it is clicked
        // until the first write goes out.
        for (int tries = 0; tries < 60 && !WaitForCapturedWrites(capture, 1, 1s); ++tries) {
            ClickStart(display, window, dir);
        }
        ASSERT_TRUE(WaitForCapturedWrites(capture, 3, 60s));
    }

    const auto lost = std::chrono::steady_clock::now();
    if (*c.loss) {
        OnDisplay(display, std::string(c.loss) + " " + window, dir);
    } else {
        server.Signal(SIGTERM);
    }
    const size_t writtenAtLoss = ReadCapture(capture).size();
    EXPECT_EQ(program.WaitExit(c.run ? 60s : 10s), c.status) << program.Err();
    EXPECT_NE(program.Err().find(c.stderrText), std::string::npos) << program.Err();
    const size_t all = c.writes < 0 ? ExpectedWrites(sample.sysex).size() : size_t(c.writes);
    EXPECT_EQ(ReadCapture(capture).size(), all);
    if (c.run) {
        EXPECT_LT(writtenAtLoss, all) << "the window went after the transfer, not during it";
    } else {
        EXPECT_LT(std::chrono::steady_clock::now() - lost, 5s) << "nothing to wait for";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, DisplayLoss, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tern::test
