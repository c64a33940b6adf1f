// A clock whose pauses block until the test lets them go, to catch a worker in a pause.
#pragma once

#include <condition_variable>
#include <mutex>

#include "platform/TickCount.h"

namespace tern::test {

class GateClock final : public platform::IClock {
public:
    uint32_t Now() override { return 0; }
    void Sleep(uint32_t) override {
        std::unique_lock lock(m_mutex);
        m_sleeping = true;
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return m_open; });
    }
    bool Sleeping() {
        std::lock_guard lock(m_mutex);
        return m_sleeping;
    }
    void WaitUntilSleeping() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_sleeping; });
    }
    void Open() {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_sleeping = false;
    bool m_open = false;
};

}  // namespace tern::test
