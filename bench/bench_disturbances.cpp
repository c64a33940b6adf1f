// Measures how far behind the file's schedule an installation's writes go out while
// something else on the machine disturbs it. Each row is one real run: the built tern-flash
// installs the sample into the simulated Ostrel, on a pseudo-terminal as a user at a
// terminal runs it, with the simulator's capture on; the capture's entry times are set
// against the due times of the file's schedule, the first write being the origin of both.
// A further disturbance is one more function and one more row in kRows.
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "bench/DisturbanceTable.h"
#include "platform/InstallLock.h"
#include "status/StatusCodes.h"
#include "tests/support/CaptureTiming.h"
#include "tests/support/linux/OtherUser.h"
#include "tests/support/linux/TerminalChild.h"

namespace {

using namespace std::chrono_literals;
using tern::bench::DisturbanceRow;
using tern::bench::PrintDisturbances;
using tern::test::CaptureLateness;
using tern::test::TerminalChild;

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
    const std::function<void(TerminalChild& install, std::string& why)>& disturb,
    bool asOtherUser = false) {
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
    if (asOtherUser) {
        // The other user reads the sample and writes the capture in the run's folder.
        std::filesystem::permissions(
            folder.PathOf(""), std::filesystem::perms::all | std::filesystem::perms::sticky_bit);
    }
    TerminalChild install =
        asOtherUser ? TerminalChild(tern::test::kSetpriv,
                                    {"--reuid=nobody", "--regid=nogroup", "--clear-groups", "--",
                                     TERN_FLASH_EXE, "install", sample})
                    : TerminalChild(TERN_FLASH_EXE, {"install", sample});
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
        // Well inside the transfer: once it has ended the lock is free for anyone to take.
        const std::string seconds = std::to_string(kOtherUserTriesS);
        const std::string command =
            "/usr/bin/setpriv --reuid=nobody --regid=nogroup "
            "--clear-groups -- /usr/bin/python3 -c '" +
            script + "' " + tern::platform::InstallLockLocation() + " " + seconds;
        if (std::system(command.c_str()) != 0) {
            why = "the other user took the lock, or could not be run";
        }
    });
}

// Two programs that keep a core each busy for as long as the object lives.
class BusyCores {
public:
    BusyCores() {
        for (pid_t& pid : m_pids) {
            pid = fork();
            if (pid == 0) {
                // Without /dev/null, `yes` would fill the benchmark's own output.
                if (std::freopen("/dev/null", "w", stdout) == nullptr) {
                    _exit(127);
                }
                execl("/usr/bin/yes", "yes", static_cast<char*>(nullptr));
                _exit(127);
            }
        }
    }
    ~BusyCores() {
        for (const pid_t pid : m_pids) {
            if (pid > 0) {
                kill(pid, SIGKILL);
                waitpid(pid, nullptr, 0);
            }
        }
    }
    BusyCores(const BusyCores&) = delete;
    BusyCores& operator=(const BusyCores&) = delete;

private:
    pid_t m_pids[2] = {-1, -1};
};

CaptureLateness TwoBusyCores(bool asOtherUser) {
    if (asOtherUser && geteuid() != 0) {
        CaptureLateness skipped;
        skipped.error = "needs root to act as another user";
        return skipped;
    }
    const BusyCores busy;
    return InstallAtATerminal(
        [](TerminalChild&, std::string&) { std::this_thread::sleep_for(kWholeTransfer); },
        asOtherUser);
}

CaptureLateness TwoBusyCoresAsRoot() {
    return TwoBusyCores(false);
}

CaptureLateness TwoBusyCoresAsOtherUser() {
    return TwoBusyCores(true);
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
    {"two CPU-bound programs (yes) running, tern-flash install as root", TwoBusyCoresAsRoot},
    {"two CPU-bound programs (yes) running, tern-flash install as an unprivileged user",
     TwoBusyCoresAsOtherUser},
};

}  // namespace

int main() {
    std::vector<DisturbanceRow> rows;
    for (const Row& row : kRows) {
        rows.push_back({row.disturbance, {}});
    }
    return PrintDisturbances(
        "bench_disturbances",
        "tern-flash install of the sample on a pseudo-terminal, simulated Ostrel, lateness of "
        "each write after its due time",
        rows, [](size_t i) { return kRows[i].measure(); });
}
