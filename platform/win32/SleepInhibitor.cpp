#include "platform/SleepInhibitor.h"

#include <windows.h>

namespace tern::platform {

SleepInhibitResult SleepInhibitor::Take(const std::string& /*who*/, const std::string& /*why*/) {
    if (Held()) {
        return {true, ""};
    }
    // ES_CONTINUOUS: until this thread says otherwise. The system does not show who asks.
    if (SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) == 0) {
        return {false, "the system refused to stay awake (SetThreadExecutionState failed)"};
    }
    // Thread ids are small multiples of four, so one fits the token.
    m_token = static_cast<int>(GetCurrentThreadId());
    return {true, ""};
}

void SleepInhibitor::Release() noexcept {
    if (!Held()) {
        return;
    }
    // Only the requesting thread can withdraw its request; on another thread the request
    // lasts until the requesting thread ends.
    if (static_cast<int>(GetCurrentThreadId()) == m_token) {
        SetThreadExecutionState(ES_CONTINUOUS);
    }
    m_token = -1;
}

SleepInhibitor::~SleepInhibitor() {
    Release();
}

}  // namespace tern::platform
