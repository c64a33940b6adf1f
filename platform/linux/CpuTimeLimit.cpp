#include "platform/CpuTimeLimit.h"

#include <sys/resource.h>
#include <time.h>

#include <limits>

namespace tern::platform {
namespace {

uint64_t ProcessCpuMs() {
    timespec used{};
    if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used) != 0) {
        return 0;
    }
    return static_cast<uint64_t>(used.tv_sec) * 1000 +
           static_cast<uint64_t>(used.tv_nsec) / 1000000;
}

}  // namespace

CpuTimeAllowance RaiseCpuTimeLimit() {
    CpuTimeAllowance allowance;
    allowance.usedMs = ProcessCpuMs();
    rlimit limit{};
    if (getrlimit(RLIMIT_CPU, &limit) != 0) {
        return allowance;  // nothing to be told: as without a limit
    }
    if (limit.rlim_cur != limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        if (setrlimit(RLIMIT_CPU, &raised) == 0) {
            limit = raised;
        }
    }
    // When the soft limit stays below the hard one, it is the one to keep to: the SIGXCPU it
    // brings is held during a transfer, but ends the program once the transfer has ended.
    const rlim_t seconds = limit.rlim_cur;
    if (seconds == RLIM_INFINITY || seconds > std::numeric_limits<uint64_t>::max() / 1000) {
        return allowance;
    }
    allowance.limited = true;
    allowance.limitMs = static_cast<uint64_t>(seconds) * 1000;
    return allowance;
}

const char* CpuTimeLimitSetting() {
    return "ulimit -t";
}

}  // namespace tern::platform
