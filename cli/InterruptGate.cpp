#include "cli/InterruptGate.h"

namespace tern::cli {

void InterruptGate::Interrupt(int signal) {
    {
        std::lock_guard lock(m_mutex);
        if (m_phase == Phase::BeforePlay) {
            if (m_signal == 0) {
                m_signal = signal;
            }
            // Under the lock, so that the action never runs after ClearStopAction returned.
            if (m_stop) {
                m_stop();
            }
            return;
        }
        if (m_phase == Phase::AfterPlay) {
            return;
        }
        ++m_refused;
    }
    // Outside the lock: whoever writes to the console may be the one interrupting.
    m_console.Err(
        "Interrupt refused: the firmware transfer is running and must not be cut off. It ends "
        "by itself; please wait.");
}

void InterruptGate::SetStopAction(std::function<void()> action) {
    std::lock_guard lock(m_mutex);
    m_stop = std::move(action);
    if (m_signal != 0 && m_phase == Phase::BeforePlay && m_stop) {
        m_stop();
    }
}

void InterruptGate::ClearStopAction() {
    std::lock_guard lock(m_mutex);
    m_stop = nullptr;
}

bool InterruptGate::BeginPlay() {
    std::lock_guard lock(m_mutex);
    if (m_signal != 0) {
        return false;
    }
    m_phase = Phase::Playing;
    return true;
}

void InterruptGate::EndPlay() {
    std::lock_guard lock(m_mutex);
    m_phase = Phase::AfterPlay;
}

int InterruptGate::InterruptedBy() const {
    std::lock_guard lock(m_mutex);
    return m_signal;
}

int InterruptGate::Refused() const {
    std::lock_guard lock(m_mutex);
    return m_refused;
}

}  // namespace tern::cli
