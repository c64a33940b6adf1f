// The processor time the system lets this process use, all its threads together. The
// transfer thread waits for each message by spinning on the tick counter, so a transfer costs
// about one processor second per second of its schedule; a limit reached part way ends the
// process and leaves the device half-programmed. The front ends compare what is left with
// what the run needs before its first write.
//
// Linux: RLIMIT_CPU (`ulimit -t`). The system sends SIGXCPU at the soft limit and ends the
// process at the hard one; a process may raise its soft limit up to the hard one, never past.
// Windows: a job object's per-process user-time limit, the one limit of this kind there; a
// process in no job, or in a job without it, has none.
#pragma once

#include <cstdint>

namespace tern::platform {

struct CpuTimeAllowance {
    bool limited = false;  // false: no limit this process can run into
    uint64_t limitMs = 0;  // when limited: the processor time at which the process is ended
    uint64_t usedMs = 0;   // processor time the process has used so far
};

// Raises the soft limit to the hard limit, where there is one to raise, and says what the
// process may use from now on.
CpuTimeAllowance RaiseCpuTimeLimit();

// Where a person sets the limit, for a refusal to name: "ulimit -t".
const char* CpuTimeLimitSetting();

}  // namespace tern::platform
