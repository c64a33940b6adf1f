#include "platform/WorkerThread.h"

#include <system_error>

namespace tern::platform {

bool StartWorkerThread(std::thread& thread, ThreadPriority priority, std::function<void()> body) {
    if (thread.joinable()) {
        return false;
    }
    try {
        thread = std::thread([priority, body = std::move(body)] {
            ApplyThreadPriority(priority);
            body();
        });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

}  // namespace tern::platform
