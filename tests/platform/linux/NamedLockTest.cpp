#include "platform/linux/NamedLock.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <thread>

namespace tern::platform {
namespace {

std::string UniqueName(const char* what) {
    return std::string("tern-test/") + what + "/" + std::to_string(getpid());
}

TEST(NamedLock, OneHolderAtATimeUntilReleased) {
    const std::string name = UniqueName("one-holder");
    NamedLock first, second;
    ASSERT_TRUE(first.TryAcquire(name));
    EXPECT_FALSE(second.TryAcquire(name));
    EXPECT_FALSE(second.Held());
    NamedLock other;
    EXPECT_TRUE(other.TryAcquire(name + "-other"));  // another name is another lock
    first.Release();
    EXPECT_TRUE(second.TryAcquire(name));
}

TEST(NamedLock, TheSystemFreesTheLockWhenItsHolderDies) {
    const std::string name = UniqueName("dies");
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        NamedLock held;
        const char ok = held.TryAcquire(name) ? 'y' : 'n';
        (void)!write(ready[1], &ok, 1);
        pause();  // killed below, never releasing by itself
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, 'y');
    NamedLock mine;
    EXPECT_FALSE(mine.TryAcquire(name));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_TRUE(mine.TryAcquire(name));
    close(ready[0]);
    close(ready[1]);
}

TEST(NamedLock, TheHolderReceivesOneLineRequests) {
    const std::string name = UniqueName("requests");
    EXPECT_FALSE(NamedLock::SendToHolder(name, "anyone?"));
    NamedLock holder;
    ASSERT_TRUE(holder.TryAcquire(name));
    EXPECT_EQ(holder.AcceptRequest(0), std::nullopt);  // nothing waiting
    std::thread sender(
        [&] { EXPECT_TRUE(NamedLock::SendToHolder(name, "raise Tern Update Program")); });
    EXPECT_EQ(holder.AcceptRequest(5000), std::optional<std::string>("raise Tern Update Program"));
    sender.join();
}

}  // namespace
}  // namespace tern::platform
