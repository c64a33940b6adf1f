#include "platform/WorkerThread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tern::platform {
namespace {

constexpr int kHighestNice = -10;

}  // namespace

void ApplyThreadPriority(ThreadPriority priority) {
    if (priority == ThreadPriority::Highest) {
        // Per-thread on Linux; refused without the right to raise priority, which is fine.
        const auto tid = static_cast<id_t>(syscall(SYS_gettid));
        setpriority(PRIO_PROCESS, tid, kHighestNice);
    }
}

}  // namespace tern::platform
