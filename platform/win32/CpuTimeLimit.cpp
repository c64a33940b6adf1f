#include "platform/CpuTimeLimit.h"

#include <windows.h>

namespace tern::platform {
namespace {

// Process times and the job's limits count in 100-nanosecond units.
constexpr uint64_t kUnitsPerMs = 10000;

uint64_t Units(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

CpuTimeAllowance RaiseCpuTimeLimit() {
    CpuTimeAllowance allowance;
    FILETIME created, exited, kernel, user;
    if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        allowance.usedMs = Units(user) / kUnitsPerMs;  // the job's limit counts user time only
    }
    // Without a handle: the job this process belongs to; the call fails when it is in none.
    // The limit is the job's to set: a process cannot raise it.
    JOBOBJECT_BASIC_LIMIT_INFORMATION job{};
    if (QueryInformationJobObject(nullptr, JobObjectBasicLimitInformation, &job, sizeof job,
                                  nullptr) &&
        (job.LimitFlags & JOB_OBJECT_LIMIT_PROCESS_TIME) != 0) {
        allowance.limited = true;
        allowance.limitMs =
            static_cast<uint64_t>(job.PerProcessUserTimeLimit.QuadPart) / kUnitsPerMs;
    }
    return allowance;
}

const char* CpuTimeLimitSetting() {
    return "the job's per-process user time";
}

}  // namespace tern::platform
