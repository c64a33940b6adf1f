#include "cli/InterruptGate.h"

#include <string>
#include <utility>

#include "platform/InterruptWatcher.h"
#include "platform/Terminal.h"

namespace tern::cli {
InterruptGate::InterruptGate(Console& console, std::function<void()> stopProcess)
    : m_console(console),
      m_stopProcess(stopProcess ? std::move(stopProcess) : platform::StopAsJobControlWould) {}

void InterruptGate::Interrupt(int signal) {
    if (platform::IsJobStop(signal)) {
        bool stopNow = false;
        {
            std::lock_guard lock(m_mutex);
            if (m_phase == Phase::Playing) {
                m_stopHeld = true;
                ++m_refused;
            } else {
                stopNow = true;
            }
        }
        if (stopNow) {
            m_stopProcess();  // nothing is being written: stop as the person asked
            return;
        }
        m_console.Err(platform::SignalText(signal) +
                      " held: the firmware transfer is running and must not be stopped. The "
                      "program stops once it has ended.");
        return;
    }
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
        if (m_held == 0) {
            m_held = signal;
        }
        if (m_phase == Phase::AfterPlay) {
            return;  // the run is ending; it ends with this signal's status
        }
        ++m_refused;
    }
    // Outside the lock: whoever writes to the console may be the one interrupting.
    m_console.Err("Interrupt refused: " + platform::SignalText(signal) +
                  " is held while the firmware transfer runs, which must not be cut off. The "
                  "program ends once the transfer has ended; please wait.");
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
    platform::InterruptWatcher::HoldEndingRequests(true);
    return true;
}

void InterruptGate::EndPlay() {
    std::lock_guard lock(m_mutex);
    m_phase = Phase::AfterPlay;
    platform::InterruptWatcher::HoldEndingRequests(false);
}

void InterruptGate::ActOnHeldStop() {
    bool stop = false;
    {
        std::lock_guard lock(m_mutex);
        stop = std::exchange(m_stopHeld, false);
    }
    if (stop) {
        m_stopProcess();
    }
}

int InterruptGate::InterruptedBy() const {
    std::lock_guard lock(m_mutex);
    return m_signal;
}

int InterruptGate::Held() const {
    std::lock_guard lock(m_mutex);
    return m_held;
}

int InterruptGate::Refused() const {
    std::lock_guard lock(m_mutex);
    return m_refused;
}

}  // namespace tern::cli
