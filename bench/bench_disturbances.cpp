// Measures how far behind the file's schedule an installation's writes go out while
// something else on the machine disturbs it. Each row is one real run: the built tern-flash
// installs the sample into the simulated Ostrel, on a pseudo-terminal as a user at a
// terminal runs it, with the simulator's capture on; the capture's entry times are set
// against the due times of the file's schedule, the first write being the origin of both.
// A further disturbance is one more function and one more row in kRows.
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "engine/StatusCodes.h"
#include "platform/InstallLock.h"
#include "tests/support/CaptureTiming.h"
#include "tests/support/TerminalChild.h"

namespace {

using namespace std::chrono_literals;
using tern::test::CaptureLateness;
using tern::test::TerminalChild;

constexpr double kP99TargetMs = 1.1;
constexpr double kWorstTargetMs = 5.0;
// The sample's transfer takes about 2.5 s; a disturbance lasts longer than that.
constexpr auto kWholeTransfer = 3500ms;
constexpr auto kStartLimit = 60s;  // discovery alone waits two seconds
constexpr auto kEndLimit = 60s;
constexpr char kCtrlS[] = "\x13";
constexpr char kCtrlQ[] = "\x11";

// A private folder for one run's capture and copy of the sample, removed afterwards.
class RunFolder {
public:
    RunFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tern-bench-XXXXXX").string();
        if (mkdtemp(pattern.data())) {
            m_path = pattern;
        }
    }
    ~RunFolder() {
        std::error_code ignored;
        if (!m_path.empty()) {
            std::filesystem::remove_all(m_path, ignored);
        }
    }
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    bool Made() const { return !m_path.empty(); }
    std::string PathOf(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Runs `tern-flash install` on the sample at a terminal and calls `disturb` once the
// transfer has made its first write; `disturb` returns when the transfer has had time to end, or
// sets `why` when it could not disturb.
CaptureLateness InstallAtATerminal(
    const std::function<void(TerminalChild& install, std::string& why)>& disturb) {
    CaptureLateness failed;
    RunFolder folder;
    std::error_code error;
    const std::string sample = folder.PathOf("ostrel-sample.mid");
    const std::string capture = folder.PathOf("capture.txt");
    if (!folder.Made() || !std::filesystem::copy_file(TERN_SAMPLE_FIRMWARE, sample, error)) {
        failed.error = "cannot prepare a folder for the run";
        return failed;
    }
    unsetenv("CORVO_SIM_SCENARIO");
    setenv("CORVO_SIM_CAPTURE", capture.c_str(), 1);
    TerminalChild install(TERN_FLASH_EXE, {"install", sample});
    // From the first write on: the schedule counts from it, so a disturbance before it
    // would only delay the whole transfer, and go unmeasured.
    if (!install.WaitForOutput(tern::kTextInstalling, kStartLimit) ||
        !tern::test::WaitForCapturedWrites(capture, 1, kStartLimit)) {
        failed.error = "the transfer did not begin: " + install.Screen();
        return failed;
    }
    disturb(install, failed.error);
    const int status = install.Finish(kEndLimit);
    unsetenv("CORVO_SIM_CAPTURE");
    if (!failed.error.empty()) {
        return failed;
    }
    if (status != 0) {
        failed.error = "tern-flash ended with " + std::to_string(status) + ": " + install.Screen();
        return failed;
    }
    return tern::test::MeasureCaptureLateness(capture, sample);
}

CaptureLateness Undisturbed() {
    return InstallAtATerminal(
        [](TerminalChild&, std::string&) { std::this_thread::sleep_for(kWholeTransfer); });
}

CaptureLateness TerminalOutputStopped() {
    return InstallAtATerminal([](TerminalChild& install, std::string& why) {
        if (!install.Type(kCtrlS)) {
            why = "cannot type Ctrl+S";
            return;
        }
        std::this_thread::sleep_for(kWholeTransfer);  // reading nothing from the screen
        if (!install.Type(kCtrlQ)) {
            why = "cannot type Ctrl+Q";
        }
    });
}

constexpr double kOtherUserTriesS = 1.5;

// Another user keeps trying to take the install lock while tern-flash installs (as root).
CaptureLateness OtherUserTakingTheLock() {
    if (geteuid() != 0) {
        CaptureLateness skipped;
        skipped.error = "needs root to act as another user";
        return skipped;
    }
    return InstallAtATerminal([](TerminalChild&, std::string& why) {
        const std::string script =
            "import fcntl, sys, time\n"
            "end = time.time() + float(sys.argv[2]); taken = 0\n"
            "while time.time() < end:\n"
            "    try:\n"
            "        with open(sys.argv[1]) as f:\n"
            "            fcntl.flock(f, fcntl.LOCK_EX | fcntl.LOCK_NB); taken += 1\n"
            "    except OSError:\n"
            "        pass\n"
            "sys.exit(1 if taken else 0)\n";
        const std::string seconds =
            std::to_string(std::chrono::duration<double>(kWholeTransfer).count());
        const std::string command =
            "/usr/bin/setpriv --reuid=nobody --regid=nogroup "
            "--clear-groups -- /usr/bin/python3 -c '" +
            script + "' " + tern::platform::InstallLockLocation() + " " + seconds;
        if (std::system(command.c_str()) != 0) {
            why = "the other user took the lock, or could not be run";
        }
    });
}

struct Row {
    const char* disturbance;
    CaptureLateness (*measure)();
};

const Row kRows[] = {
    {"none", Undisturbed},
    {"terminal output stopped (Ctrl+S) during tern-flash install", TerminalOutputStopped},
    {"another user trying to take the install lock during tern-flash install",
     OtherUserTakingTheLock},
};

const char* Verdict(bool met) {
    return met ? "met" : "NOT met";
}

// The machine's load when the figures were taken: the player busy-waits on two cores
// shared with whatever else runs.
void PrintLoad(const char* when) {
    if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
        double load = 0;
        if (std::fscanf(f, "%lf", &load) == 1) {
            std::printf("    load average (1 min) %s: %.2f\n", when, load);
        }
        std::fclose(f);
    }
}

}  // namespace

int main() {
    std::printf(
        "bench_disturbances: tern-flash install of the sample on a pseudo-terminal, simulated "
        "Ostrel, lateness of each write after its due time\n");
    PrintLoad("before");
    CaptureLateness results[std::size(kRows)];
    for (size_t i = 0; i < std::size(kRows); ++i) {
        results[i] = kRows[i].measure();
    }
    PrintLoad("after");

    std::printf("\ndisturbance | writes | p99 late ms | worst late ms\n");
    bool measured = true;
    for (size_t i = 0; i < std::size(kRows); ++i) {
        const CaptureLateness& r = results[i];
        if (!r.error.empty()) {
            std::printf("%s | failed: %s | |\n", kRows[i].disturbance, r.error.c_str());
            measured = false;
            continue;
        }
        std::printf("%s | %zu | %.2f | %.2f\n", kRows[i].disturbance, r.writes, r.p99Ms, r.worstMs);
    }

    // One table row per figure, for scripts/bench.
    std::printf("\n");
    for (size_t i = 0; i < std::size(kRows); ++i) {
        const CaptureLateness& r = results[i];
        if (r.error.empty()) {
            std::printf(
                "| bench_disturbances | %s: write lateness p99 / worst | %.2f / %.2f ms "
                "| <= %.1f / %.0f ms | %s |\n",
                kRows[i].disturbance, r.p99Ms, r.worstMs, kP99TargetMs, kWorstTargetMs,
                Verdict(r.p99Ms <= kP99TargetMs && r.worstMs <= kWorstTargetMs));
        }
    }
    return measured ? 0 : 1;
}
