// A stop request that can end a pause at once: how a worker that waits between attempts is
// stopped when its owner goes away.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace tern::platform {

class StopSignal {
public:
    // Waits `ms` milliseconds, as Sleep does (an installed test clock included). Returns
    // false, early, when a stop has been requested before or during the pause.
    bool Pause(uint32_t ms);
    void RequestStop();
    bool StopRequested() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
};

}  // namespace tern::platform
