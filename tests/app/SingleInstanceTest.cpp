// One instance per program name: two real processes of the program, and the request that
// brings the first one's window forward.
#include "platform/qt/SingleInstance.h"

#include <unistd.h>

#include <QWidget>
#include <filesystem>

#include "platform/linux/NamedLock.h"
#include "tests/support/ChildProcess.h"
#include "tests/ui/DialogHarness.h"

namespace tern::test {
namespace {

using namespace std::chrono_literals;

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
    ChildProcess first(dir.PathOf(program), {}, dir.PathOf("first.err"));
    ASSERT_TRUE(WaitHeld(program));
    // Any creation of the root object from here on would print the scenario's error.
    env.SetScenario("not a scenario\n");
    ChildProcess second(dir.PathOf(program), {}, dir.PathOf("second.err"));
    EXPECT_EQ(second.WaitExit(10s), 0);
    EXPECT_EQ(second.Err().find("corvo-sim"), std::string::npos) << second.Err();
    EXPECT_EQ(first.WaitExit(200ms), -1);  // the first one runs on
}

TEST(SingleInstance, ACopyUnderAnotherNameRunsOnItsOwn) {
    ComponentEnvironment env;
    TempDir dir;
    const std::string program = CopyOfProgram(dir, "original");
    const std::string copy = CopyOfProgram(dir, "copy");
    ChildProcess first(dir.PathOf(program), {}, dir.PathOf("first.err"));
    ASSERT_TRUE(WaitHeld(program));
    ChildProcess other(dir.PathOf(copy), {}, dir.PathOf("copy.err"));
    EXPECT_TRUE(WaitHeld(copy));
    EXPECT_EQ(other.WaitExit(500ms), -1);
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
