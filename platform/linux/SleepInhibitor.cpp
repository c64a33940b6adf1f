// Placeholder until the Linux backend asks logind for a sleep inhibitor: the system is not
// kept awake, and the caller is told so.
#include "platform/SleepInhibitor.h"

namespace tern::platform {

SleepInhibitor::Result SleepInhibitor::Acquire(const char* /*who*/, const char* /*why*/) {
    return {false, "keeping the system awake is not available on this platform yet"};
}

void SleepInhibitor::Release() {
    m_held = false;
}

SleepInhibitor::~SleepInhibitor() {
    Release();
}

}  // namespace tern::platform
