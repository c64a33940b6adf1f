// An ordered, thread-safe log of what fakes saw ("status 3", "pause 1000", ...), so a test
// can compare the whole sequence at once and wait for an entry to appear.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace tern::test {

class EventLog {
public:
    void Add(std::string event) {
        {
            std::lock_guard lock(m_mutex);
            m_events.push_back(std::move(event));
        }
        m_changed.notify_all();
    }

    std::vector<std::string> Events() const {
        std::lock_guard lock(m_mutex);
        return m_events;
    }

    // Waits (real time, at most `limit`) until `event` has been logged.
    bool WaitFor(const std::string& event,
                 std::chrono::milliseconds limit = std::chrono::seconds(20)) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, limit, [&] {
            for (const auto& e : m_events) {
                if (e == event) {
                    return true;
                }
            }
            return false;
        });
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_events;
};

}  // namespace tern::test
