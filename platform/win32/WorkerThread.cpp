#include "platform/WorkerThread.h"

#include <windows.h>

namespace tern::platform {

void ApplyThreadPriority(ThreadPriority priority) {
    SetThreadPriority(GetCurrentThread(), priority == ThreadPriority::Highest
                                              ? THREAD_PRIORITY_HIGHEST
                                              : THREAD_PRIORITY_NORMAL);
}

}  // namespace tern::platform
