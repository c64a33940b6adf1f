#include "platform/SleepInhibitor.h"

#include <windows.h>

namespace tern::platform {

SleepInhibitor::Result SleepInhibitor::Acquire(const char* /*who*/, const char* /*why*/) {
    if (m_held) {
        return {true, ""};
    }
    // ES_CONTINUOUS: until this thread says otherwise. The system does not show who asks.
    if (SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED) == 0) {
        return {false, "the system refused to stay awake (SetThreadExecutionState failed)"};
    }
    m_held = true;
    m_token = static_cast<std::intptr_t>(GetCurrentThreadId());
    return {true, ""};
}

void SleepInhibitor::Release() {
    if (!m_held) {
        return;
    }
    // Only the requesting thread can withdraw its request; on another thread the request
    // lasts until the requesting thread ends.
    if (static_cast<std::intptr_t>(GetCurrentThreadId()) == m_token) {
        SetThreadExecutionState(ES_CONTINUOUS);
    }
    m_held = false;
    m_token = 0;
}

SleepInhibitor::~SleepInhibitor() {
    Release();
}

}  // namespace tern::platform
