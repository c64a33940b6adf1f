#include "platform/StopSignal.h"

#include <chrono>

#include "platform/TickCount.h"

namespace tern::platform {

bool StopSignal::Pause(uint32_t ms) {
    if (IClock* clock = InstalledClock()) {
        // Virtual time passes at once; a stop can only be seen before and after.
        if (StopRequested()) {
            return false;
        }
        clock->Sleep(ms);
        return !StopRequested();
    }
    std::unique_lock lock(m_mutex);
    m_wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stop; });
    return !m_stop;
}

void StopSignal::RequestStop() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
}

bool StopSignal::StopRequested() const {
    std::lock_guard lock(m_mutex);
    return m_stop;
}

}  // namespace tern::platform
