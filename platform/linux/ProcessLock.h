// A lock file taken for the rest of this process's life: its descriptor is never closed, so
// only the process's end, however it ends, frees it.
#pragma once

#include <string>

namespace tern::platform {

enum class ProcessLockResult {
    Taken,          // this process holds it from now on
    HeldElsewhere,  // another process (or another open of it in this one) holds it
    Failed,         // the file cannot be made, opened or locked
};

// Opens `path` (never through a link; made with mode 0600 when missing) and locks it
// without waiting.
ProcessLockResult LockForProcessLifetime(const std::string& path);

// Takes an exclusive flock on `fd` without waiting: 0, or the errno (EWOULDBLOCK while
// another open of the file holds it).
int LockWithoutWaiting(int fd);

// Whether some process holds the lock on `path` now (for tests and probes).
bool ProcessLockHeld(const std::string& path);

}  // namespace tern::platform
