// The machine-wide install lock: one holder at a time, freed when its holder ends, never
// fooled by what another user leaves at its place, and a refusal that names the holder.
#include "platform/InstallLock.h"

#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"
#include "tests/support/linux/OtherUser.h"

namespace tern::platform {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;

std::string MyName() {
    const passwd* entry = getpwuid(getuid());
    return entry ? entry->pw_name : "";
}

class InstallLockTest : public testing::Test {
protected:
    // The lock lives in a folder shared the way the system's lock folder is.
    InstallLockTest() {
        test::OpenToOtherUser(m_dir.Path(), false);
        mkdir(m_shared.c_str(), 0);
        test::OpenToOtherUser(m_shared, true);
        setenv(kInstallLockVariable, m_path.c_str(), 1);
    }
    ~InstallLockTest() override { unsetenv(kInstallLockVariable); }

    test::TempDir m_dir;
    const std::string m_shared = m_dir.PathOf("lock");
    const std::string m_path = m_shared + "/tern-update.lock";
};

TEST_F(InstallLockTest, OneHolderAtATimeNamedInTheRefusal) {
    InstallLock first, second;
    ASSERT_TRUE(first.TryAcquire().Taken());
    const InstallLock::Result refused = second.TryAcquire();
    EXPECT_EQ(refused.outcome, InstallLock::Outcome::HeldByOther);
    EXPECT_EQ(refused.user, MyName());
    EXPECT_EQ(refused.pid, getpid());
    EXPECT_FALSE(refused.otherUser);
    EXPECT_FALSE(second.Held());
    first.Release();
    EXPECT_TRUE(second.TryAcquire().Taken());
}

TEST_F(InstallLockTest, TheSystemFreesItWhenItsHolderDies) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        InstallLock held;
        const char ok = held.TryAcquire().Taken() ? 'y' : 'n';
        (void)!write(ready[1], &ok, 1);
        pause();  // killed below, never releasing by itself
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');
    InstallLock mine;
    EXPECT_EQ(mine.TryAcquire().pid, child);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_TRUE(mine.TryAcquire().Taken());
    close(ready[0]);
    close(ready[1]);
}

TEST_F(InstallLockTest, TheFileItMakesCanBeLockedByEveryUser) {
    const mode_t before = umask(077);
    InstallLock lock;
    EXPECT_TRUE(lock.TryAcquire().Taken());
    umask(before);
    struct stat st;
    ASSERT_EQ(stat(m_path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

// What may be found at the lock's place: each is refused with a reason naming it, and what
// it points at is neither made nor changed.
TEST_F(InstallLockTest, TrapsAtItsPlaceAreRefusedAndLeftAlone) {
    const std::string target = m_dir.PathOf("target");
    struct Trap {
        const char* what;
        void (*make)(const std::string& path, const std::string& target);
    } traps[] = {
        {"a link to a missing file",
         [](const std::string& p, const std::string& t) {
             ASSERT_EQ(symlink(t.c_str(), p.c_str()), 0);
         }},
        {"a link to a file",
         [](const std::string& p, const std::string& t) {
             std::ofstream(t) << "keep";
             chmod(t.c_str(), 0600);
             ASSERT_EQ(symlink(t.c_str(), p.c_str()), 0);
         }},
        {"a pipe",
         [](const std::string& p, const std::string&) { ASSERT_EQ(mkfifo(p.c_str(), 0666), 0); }},
        {"a folder",
         [](const std::string& p, const std::string&) { ASSERT_EQ(mkdir(p.c_str(), 0777), 0); }},
    };
    for (const Trap& trap : traps) {
        SCOPED_TRACE(trap.what);
        trap.make(m_path, target);
        InstallLock lock;
        const InstallLock::Result result = lock.TryAcquire();
        EXPECT_EQ(result.outcome, InstallLock::Outcome::Unavailable);
        EXPECT_NE(result.reason.find(m_path), std::string::npos) << result.reason;
        EXPECT_FALSE(lock.Held());
        struct stat st;
        if (stat(target.c_str(), &st) == 0) {
            EXPECT_EQ(st.st_mode & 0777, 0600u);
        }
        remove(m_path.c_str());
        remove(target.c_str());
    }
}

TEST_F(InstallLockTest, AnotherUsersInstallationIsNamedAndCannotBeTakenFromUs) {
    if (!test::CanActAsOtherUser()) {
        GTEST_SKIP() << "needs root to act as another user";
    }
    {
        // The other user holds it: we are told who, and take nothing.
        ChildProcess other(test::kSetpriv,
                           test::AsOtherUser({"/usr/bin/flock", "-n", "-o", m_path, "/bin/sh", "-c",
                                              "echo held; exec sleep 30"}),
                           m_dir.PathOf("other.err"));
        ASSERT_TRUE(other.WaitForOutput("held")) << other.Err();
        InstallLock lock;
        const InstallLock::Result refused = lock.TryAcquire();
        EXPECT_EQ(refused.outcome, InstallLock::Outcome::HeldByOther);
        EXPECT_EQ(refused.user, test::kOtherUserName);
        EXPECT_TRUE(refused.otherUser);
        EXPECT_FALSE(lock.Held());
    }
    // Their file stays behind. Root takes it over, so its maker cannot remove it from
    // under an installation, nor take the lock while we hold it.
    InstallLock lock;
    ASSERT_TRUE(lock.TryAcquire().Taken());
    struct stat st;
    ASSERT_EQ(stat(m_path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, geteuid());
    ChildProcess take(test::kSetpriv,
                      test::AsOtherUser({"/usr/bin/flock", "-n", m_path, "/bin/true"}),
                      m_dir.PathOf("take.err"));
    EXPECT_NE(take.Finish(), 0);
    ChildProcess remove(test::kSetpriv, test::AsOtherUser({"/bin/rm", "-f", m_path}),
                        m_dir.PathOf("remove.err"));
    remove.Finish();
    EXPECT_EQ(access(m_path.c_str(), F_OK), 0);
    InstallLock second;
    EXPECT_EQ(second.TryAcquire().outcome, InstallLock::Outcome::HeldByOther);
}

TEST_F(InstallLockTest, AnotherUsersFileIsLockedAsItIsUnlessAnEmptySquatAtItsPlace) {
    if (!test::CanActAsOtherUser()) {
        GTEST_SKIP() << "needs root to act as another user";
    }
    const std::string theirs = m_dir.PathOf("theirs");
    ASSERT_EQ(mkdir(theirs.c_str(), 0755), 0);
    ASSERT_EQ(chown(theirs.c_str(), test::OtherUserId(), 0), 0);
    struct Case {
        std::string path;
        const char* content;
    } cases[] = {
        {m_path, "their notes"},                 // the lock's own place, but not empty
        {m_shared + "/notes", ""},               // empty, under another name
        {theirs + "/tern-update.lock", "keep"},  // a folder of theirs, not a shared one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        setenv(kInstallLockVariable, c.path.c_str(), 1);
        ChildProcess make(
            test::kSetpriv,
            test::AsOtherUser(
                {"/bin/sh", "-c", "printf '" + std::string(c.content) + "' > " + c.path}),
            m_dir.PathOf("make.err"));
        ASSERT_EQ(make.Finish(), 0) << make.Err();
        struct stat before, after;
        ASSERT_EQ(stat(c.path.c_str(), &before), 0);
        {
            InstallLock lock;
            EXPECT_TRUE(lock.TryAcquire().Taken());
            ChildProcess take(test::kSetpriv,
                              test::AsOtherUser({"/usr/bin/flock", "-n", c.path, "/bin/true"}),
                              m_dir.PathOf("take.err"));
            EXPECT_NE(take.Finish(), 0) << "the lock did not hold";
        }
        ASSERT_EQ(stat(c.path.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino) << "replaced";
        EXPECT_EQ(after.st_uid, test::OtherUserId());
        std::ifstream in(c.path);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), c.content);
        remove(c.path.c_str());
    }
}

}  // namespace
}  // namespace tern::platform
