// One instance per program name: two real processes of the program, and the request that
// brings the first one's window forward.
#include "platform/dialog/qt/SingleInstanceEndpoint.h"

#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <filesystem>

#include "platform/linux/ProcessLock.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/linux/OtherUser.h"
#include "tests/support/linux/SocketPeers.h"
#include "tests/ui/DialogHarness.h"

namespace tern::test {
namespace {

using namespace std::chrono_literals;

// Waits until a process holds the program's instance lock.
bool WaitHeld(const std::string& program) {
    const auto end = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < end) {
        if (platform::ProcessLockHeld(platform::SingleInstanceState::LockPath(program))) {
            return true;
        }
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

// The program under a name of this test's own, so tests running side by side (or a real
// instance on this machine) never share its lock; in bin/ beside a lib/ that leads to the
// build's runtime, as the program finds it installed.
std::string CopyOfProgram(const TempDir& dir, const std::string& tag) {
    const std::string name = "tern-update-" + tag + "-" + std::to_string(getpid());
    std::filesystem::create_directories(dir.PathOf("bin"));
    std::error_code exists;
    std::filesystem::create_directory_symlink(std::string(TERN_COMPONENT_DIR) + "/../..",
                                              dir.PathOf("lib"), exists);
    std::filesystem::copy_file(TERN_UPDATE_EXE, dir.PathOf("bin/" + name));
    return name;
}

TEST(SingleInstance, ASecondStartEndsAtOnceWithoutTouchingTheDeviceLink) {
    ComponentEnvironment env;
    TempDir dir;
    const std::string program = CopyOfProgram(dir, "single");
    ChildProcess first(dir.PathOf("bin/" + program), {}, dir.PathOf("first.err"));
    ASSERT_TRUE(WaitHeld(program));
    // Any creation of the root object from here on would print the scenario's error.
    env.SetScenario("not a scenario\n");
    ChildProcess second(dir.PathOf("bin/" + program), {}, dir.PathOf("second.err"));
    EXPECT_EQ(second.WaitExit(10s), 0);
    EXPECT_EQ(second.Err().find("corvo-sim"), std::string::npos) << second.Err();
    EXPECT_EQ(first.WaitExit(200ms), -1);  // the first one runs on
}

TEST(SingleInstance, ACopyUnderAnotherNameRunsOnItsOwn) {
    ComponentEnvironment env;
    TempDir dir;
    const std::string program = CopyOfProgram(dir, "original");
    const std::string copy = CopyOfProgram(dir, "copy");
    ChildProcess first(dir.PathOf("bin/" + program), {}, dir.PathOf("first.err"));
    ASSERT_TRUE(WaitHeld(program));
    ChildProcess other(dir.PathOf("bin/" + copy), {}, dir.PathOf("copy.err"));
    EXPECT_TRUE(WaitHeld(copy));
    EXPECT_EQ(other.WaitExit(500ms), -1);
}

TEST(SingleInstance, TheRunningInstanceBringsTheWindowWithThatExactTitleForward) {
    platform::SingleInstance instance("tern-test-" + std::to_string(getpid()));
    ASSERT_EQ(instance.ClaimName(), platform::SingleInstance::Claim::First);
    platform::SingleInstance later("tern-test-" + std::to_string(getpid()));
    EXPECT_EQ(later.ClaimName(), platform::SingleInstance::Claim::Second);

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

// The longest the window's thread is away from its event loop while `duration` passes.
std::chrono::milliseconds LongestStall(std::chrono::milliseconds duration) {
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + duration;
    auto longest = Clock::duration::zero();
    while (Clock::now() < end) {
        const auto before = Clock::now();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        longest = std::max(longest, Clock::now() - before);
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(longest);
}

TEST(SingleInstance, IdleConnectionsNeitherHoldTheWindowNorStayOpen) {
    const std::string program = "tern-test-idle-" + std::to_string(getpid());
    platform::SingleInstance instance(program);
    ASSERT_EQ(instance.ClaimName(), platform::SingleInstance::Claim::First);
    TempDir dir;
    ChildProcess idle =
        StartPeer(IdleConnectionsCommand(platform::SingleInstanceState::EndpointPath(program), 40),
                  dir.PathOf("idle.err"));
    ASSERT_TRUE(idle.WaitForOutput("open 40\n")) << idle.Out() << idle.Err();
    EXPECT_LT(LongestStall(1000ms), 200ms);

    // A later start is still answered while they wait.
    QWidget target;
    target.setWindowTitle("Tern Update Program");
    target.show();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    platform::SingleInstance later(program);
    EXPECT_TRUE(later.AskToRaise("Tern Update Program"));
    EXPECT_TRUE(ServeUntil([&] { return QApplication::activeWindow() == &target; }, 5s));

    // Connections that never send their line are dropped after a while.
    EXPECT_TRUE(ServeUntil([&] { return instance.State().OpenConnections() == 0; }, 10s))
        << instance.State().OpenConnections() << " still open";
}

TEST(SingleInstance, AnotherUserCanNeitherReachNorTakeTheEndpoint) {
    if (!CanActAsOtherUser()) {
        GTEST_SKIP() << "needs root to act as another user";
    }
    const std::string program = "tern-test-reach-" + std::to_string(getpid());
    platform::SingleInstance instance(program);
    ASSERT_EQ(instance.ClaimName(), platform::SingleInstance::Claim::First);
    TempDir dir;
    ChildProcess other(
        kSetpriv,
        AsOtherUser(ReachAttemptCommand(platform::SingleInstanceState::EndpointPath(program))),
        dir.PathOf("other.err"));
    EXPECT_EQ(other.Finish(), 0) << other.Err();
    EXPECT_EQ(other.Out(), "connect denied\nbind denied\n");
    // The endpoint is still ours: a later start of our own still gets through.
    platform::SingleInstance later(program);
    EXPECT_TRUE(later.AskToRaise("no such window"));
}

// The user's folder may be missing or unfit, and another user may have squatted the
// fallback's name: the program then runs without the rule rather than not at all.
TEST(SingleInstance, AnotherUserCannotKeepTheProgramFromStarting) {
    if (!CanActAsOtherUser()) {
        GTEST_SKIP() << "needs root to act as another user";
    }
    ComponentEnvironment env;
    TempDir dir;
    const std::string program = CopyOfProgram(dir, "squat");
    OpenToOtherUser(dir.Path(), true);
    const std::string theirs = dir.PathOf("theirs");
    ChildProcess made(kSetpriv, AsOtherUser({"/bin/mkdir", "-m", "0700", theirs}),
                      dir.PathOf("made.err"));
    ASSERT_EQ(made.Finish(), 0) << made.Err();
    ChildProcess squat(kSetpriv,
                       AsOtherUser({"/bin/mkdir", "-m", "0777",
                                    dir.PathOf("tern-update-" + std::to_string(geteuid()))}),
                       dir.PathOf("squat.err"));
    ASSERT_EQ(squat.Finish(), 0) << squat.Err();

    const std::string runtime = getenv("XDG_RUNTIME_DIR");
    setenv("XDG_RUNTIME_DIR", theirs.c_str(), 1);  // not ours: never trusted
    setenv("TMPDIR", dir.Path().c_str(), 1);
    ChildProcess started(dir.PathOf("bin/" + program), {}, dir.PathOf("started.err"));
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    unsetenv("TMPDIR");
    EXPECT_EQ(started.WaitExit(1500ms), -1) << "the program ended: " << started.Err();
    started.Signal(SIGTERM);
    started.WaitExit(5s);
    EXPECT_NE(started.Err().find("running without the single-instance rule"), std::string::npos)
        << started.Err();
}

}  // namespace
}  // namespace tern::test
