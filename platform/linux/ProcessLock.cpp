#include "platform/linux/ProcessLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace tern::platform {
namespace {

constexpr int kOpenFlags = O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
constexpr mode_t kLockMode = 0600;

}  // namespace

int LockWithoutWaiting(int fd) {
    int locked;
    do {
        locked = flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    return locked == 0 ? 0 : errno;
}

ProcessLockResult LockForProcessLifetime(const std::string& path) {
    const int fd = open(path.c_str(), kOpenFlags, kLockMode);
    if (fd < 0) {
        return ProcessLockResult::Failed;
    }
    const int error = LockWithoutWaiting(fd);
    if (error == 0) {
        return ProcessLockResult::Taken;  // `fd` stays open until the process ends
    }
    close(fd);
    return error == EWOULDBLOCK ? ProcessLockResult::HeldElsewhere : ProcessLockResult::Failed;
}

bool ProcessLockHeld(const std::string& path) {
    const int fd = open(path.c_str(), (kOpenFlags & ~O_CREAT));
    if (fd < 0) {
        return false;
    }
    const bool held = LockWithoutWaiting(fd) == EWOULDBLOCK;
    close(fd);  // also drops the lock if this probe took it
    return held;
}

}  // namespace tern::platform
