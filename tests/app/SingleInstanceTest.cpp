// One instance per program name: two real processes of the program, and the request that
// brings the first one's window forward.
#include "platform/qt/SingleInstance.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QWidget>
#include <filesystem>
#include <fstream>

#include "platform/NamedLock.h"
#include "tests/ui/DialogHarness.h"

namespace tern::test {
namespace {

using namespace std::chrono_literals;

struct Child {
    pid_t pid = -1;
    std::string errPath;
};

// Starts `exe` with the offscreen platform, its stderr going to a file.
Child Spawn(const std::string& exe, const std::string& errPath) {
    Child c{fork(), errPath};
    if (c.pid == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        freopen(errPath.c_str(), "w", stderr);
        execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return c;
}

// Waits for the child to end; its exit status, or -1 when it is still running at `limit`.
int WaitExit(pid_t pid, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(20ms);
    }
    return -1;
}

void Kill(pid_t pid) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

std::string InstanceLock(const std::string& program) {
    return "tern-update/instance/" + std::to_string(getuid()) + "/" + program;
}

// Waits until a process holds the program's instance lock.
bool WaitHeld(const std::string& program) {
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < end) {
        platform::NamedLock probe;
        if (!probe.TryAcquire(InstanceLock(program))) {
            return true;
        }
        probe.Release();
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The program under a name of this test's own, so tests running side by side (or a real
// instance on this machine) never share its lock.
std::string CopyOfProgram(const TempDir& dir, const std::string& tag) {
    const std::string name = "tern-update-" + tag + "-" + std::to_string(getpid());
    std::filesystem::copy_file(TERN_UPDATE_EXE, dir.PathOf(name));
    return name;
}

TEST(SingleInstance, ASecondStartEndsAtOnceWithoutTouchingTheDeviceLink) {
    ComponentEnvironment env;
    TempDir dir;
    const std::string program = CopyOfProgram(dir, "single");
    const Child first = Spawn(dir.PathOf(program), dir.PathOf("first.err"));
    ASSERT_TRUE(WaitHeld(program));
    // Any creation of the root object from here on would print the scenario's error.
    env.SetScenario("not a scenario\n");
    const Child second = Spawn(dir.PathOf(program), dir.PathOf("second.err"));
    EXPECT_EQ(WaitExit(second.pid, 10s), 0);
    EXPECT_EQ(ReadAll(second.errPath).find("corvo-sim"), std::string::npos)
        << ReadAll(second.errPath);
    EXPECT_EQ(WaitExit(first.pid, 200ms), -1);  // the first one runs on
    Kill(first.pid);
}

TEST(SingleInstance, ACopyUnderAnotherNameRunsOnItsOwn) {
    ComponentEnvironment env;
    TempDir dir;
    const std::string program = CopyOfProgram(dir, "original");
    const std::string copy = CopyOfProgram(dir, "copy");
    const Child first = Spawn(dir.PathOf(program), dir.PathOf("first.err"));
    ASSERT_TRUE(WaitHeld(program));
    const Child other = Spawn(dir.PathOf(copy), dir.PathOf("copy.err"));
    EXPECT_TRUE(WaitHeld(copy));
    EXPECT_EQ(WaitExit(other.pid, 500ms), -1);
    Kill(other.pid);
    Kill(first.pid);
}

TEST(SingleInstance, TheRunningInstanceBringsTheWindowWithThatExactTitleForward) {
    platform::SingleInstance instance("tern-test-" + std::to_string(getpid()));
    ASSERT_TRUE(instance.Claim());
    platform::SingleInstance later("tern-test-" + std::to_string(getpid()));
    EXPECT_FALSE(later.Claim());

    QWidget target, other, lookalike;
    target.setWindowTitle("Tern Update Program");
    lookalike.setWindowTitle("Tern Update Program 2");
    for (QWidget* w : {&target, &lookalike, &other}) {
        w->show();
    }
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));

    EXPECT_TRUE(later.AskToRaise("Tern Update Program"));
    EXPECT_TRUE(ServeUntil([&] { return QApplication::activeWindow() == &target; }, 5s));
}

}  // namespace
}  // namespace tern::test
