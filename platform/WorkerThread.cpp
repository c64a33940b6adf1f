#include "platform/WorkerThread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <system_error>

namespace tern::platform {
namespace {

constexpr int kHighestNice = -10;

void ApplyPriority(ThreadPriority priority) {
    if (priority == ThreadPriority::Highest) {
        // Per-thread on Linux; refused without the right to raise priority, which is fine.
        const auto tid = static_cast<id_t>(syscall(SYS_gettid));
        setpriority(PRIO_PROCESS, tid, kHighestNice);
    }
}

}  // namespace

bool StartWorkerThread(std::thread& thread, ThreadPriority priority, std::function<void()> body) {
    if (thread.joinable()) {
        return false;
    }
    try {
        thread = std::thread([priority, body = std::move(body)] {
            ApplyPriority(priority);
            body();
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

}  // namespace tern::platform
