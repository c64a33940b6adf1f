// The install lock on Linux: a file in the system's lock folder, locked with flock. The folder
// is writable by everyone (sticky), so the file may have been made by anyone, even as a trap:
// it is never followed through a link, never opened for writing, only changed when this
// process made it, and the lock is taken without waiting. The one file ever removed is an
// empty one of another user's at the lock's own place, which root replaces by its own.
#include "platform/InstallLock.h"

#include "platform/linux/ProcessLock.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace tern::platform {
namespace {

constexpr char kLockFileName[] = "tern-update.lock";
// Readable by all, so any user's installation can open and lock it.
constexpr mode_t kLockFileMode = 0644;
constexpr const char* kLockFolders[] = {"/run/lock", "/var/lock", "/tmp"};
// Open-and-lock rounds before a file that keeps being replaced is given up on.
constexpr int kLockAttempts = 4;

std::string UserName(uid_t uid) {
    passwd entry{};
    passwd* found = nullptr;
    char buffer[1024];
    if (getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found) {
        return found->pw_name;
    }
    return "uid " + std::to_string(uid);
}

std::string Failure(const std::string& path, const char* what, int error) {
    return path + ": " + what + " (" + std::strerror(error) + ")";
}

// The process holding a flock on the file `st` describes, from /proc/locks, and its owner.
// False when it cannot be told (no /proc, another process namespace, a race with its end).
bool FindHolder(const struct stat& st, pid_t& pid, uid_t& uid) {
    std::ifstream locks("/proc/locks");
    char wanted[64];
    std::snprintf(wanted, sizeof wanted, "%02x:%02x:%llu", major(st.st_dev), minor(st.st_dev),
                  static_cast<unsigned long long>(st.st_ino));
    for (std::string line; std::getline(locks, line);) {
        // "1: FLOCK  ADVISORY  WRITE 4321 00:19:1234 0 EOF"; waiters carry "->" and hold nothing.
        std::istringstream fields(line);
        std::string number, kind, advisory, access, id, file;
        if (!(fields >> number >> kind) || kind == "->" || kind != "FLOCK" ||
            !(fields >> advisory >> access >> id >> file) || file != wanted) {
            continue;
        }
        pid = static_cast<pid_t>(std::atol(id.c_str()));
        struct stat process;
        if (pid <= 0 || stat(("/proc/" + id).c_str(), &process) != 0) {
            return false;
        }
        uid = process.st_uid;
        return true;
    }
    return false;
}

// Whether `path` still names the file open on `fd`.
bool StillNamed(int fd, const std::string& path) {
    struct stat open, named;
    return fstat(fd, &open) == 0 && lstat(path.c_str(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

std::string DefaultLocation() {
    for (const char* folder : kLockFolders) {
        struct stat st;
        if (stat(folder, &st) == 0 && S_ISDIR(st.st_mode)) {
            return std::string(folder) + "/" + kLockFileName;
        }
    }
    return std::string(kLockFolders[0]) + "/" + kLockFileName;
}

// Whether root may put a lock file of its own in place of the one open on `fd`: only another
// user's empty file under the lock's own name in a shared lock folder (root's, sticky), where
// anyone may leave one and nothing is lost with it. Any other file is locked as it is: the
// name may have been given for any file of anyone's.
bool ReplaceableSquat(int fd, const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (geteuid() != 0 || slash == std::string::npos || path.substr(slash + 1) != kLockFileName) {
        return false;
    }
    struct stat file, folder;
    return fstat(fd, &file) == 0 && file.st_uid != 0 && file.st_size == 0 &&
           lstat(slash == 0 ? "/" : path.substr(0, slash).c_str(), &folder) == 0 &&
           S_ISDIR(folder.st_mode) && folder.st_uid == 0 && (folder.st_mode & S_ISVTX);
}

void DescribeHolder(int fd, InstallLock::Result& result) {
    result.outcome = InstallLock::Outcome::HeldByOther;
    struct stat st;
    pid_t pid = 0;
    uid_t uid = 0;
    if (fstat(fd, &st) == 0 && FindHolder(st, pid, uid)) {
        result.user = UserName(uid);
        result.pid = pid;
        result.otherUser = uid != getuid();
    }
}

// Opens the lock file read-only, making it when it is missing. -1 with `reason` on failure.
int OpenLockFile(const std::string& path, std::string& reason) {
    constexpr int kFlags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    int fd = open(path.c_str(), kFlags | O_CREAT | O_EXCL, kLockFileMode);
    if (fd >= 0) {
        fchmod(fd, kLockFileMode);  // ours: past the umask, so others can lock it too
    } else if (errno == EEXIST) {
        fd = open(path.c_str(), kFlags);
    }
    if (fd < 0) {
        reason = errno == ELOOP ? path + " is a symbolic link, which the lock never follows"
                                : Failure(path, "cannot be opened", errno);
        return -1;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        reason = path + " is not a regular file";
        close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

std::string InstallLockLocation() {
    const char* path = std::getenv(kInstallLockVariable);
    return path && *path ? path : DefaultLocation();
}

InstallLock::~InstallLock() {
    Release();
}

InstallLock::Result InstallLock::TryAcquire() {
    Release();
    const std::string path = InstallLockLocation();
    Result result;
    // The file could be swapped between our open and our lock; a lock on a file that no
    // longer has the name locks nobody out, so then it is taken again.
    int adopted = -1;
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
        const int fd = OpenLockFile(path, result.reason);
        if (fd < 0) {
            break;
        }
        const int error = LockWithoutWaiting(fd);
        if (error == EWOULDBLOCK) {
            DescribeHolder(fd, result);
            close(fd);
            break;
        }
        if (error != 0) {
            result.reason = Failure(path, "cannot be locked", error);
            close(fd);
            break;
        }
        if (!StillNamed(fd, path)) {
            close(fd);
            continue;
        }
        if (ReplaceableSquat(fd, path)) {
            // Its owner could remove it from under an installation and let a second one in.
            // Root holds it now, so nobody installs meanwhile: replace it by one of root's.
            if (adopted >= 0) {
                close(adopted);
            }
            adopted = fd;
            unlink(path.c_str());
            continue;
        }
        m_handle = fd;
        result.outcome = Outcome::Taken;
        break;
    }
    if (adopted >= 0) {
        close(adopted);
    }
    if (result.outcome == Outcome::Unavailable && result.reason.empty()) {
        result.reason = path + " keeps changing while it is locked";
    }
    return result;
}

bool InstallLock::Held() const {
    return m_handle >= 0;
}

void InstallLock::Release() {
    if (m_handle >= 0) {
        close(static_cast<int>(m_handle));
        m_handle = -1;
    }
}

}  // namespace tern::platform
