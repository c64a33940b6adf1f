// What Ctrl+C (SIGINT) and SIGTERM do to an installation. Before the play they end the run:
// the gate records the signal and stops what is waiting (the discovery worker), and the run
// cleans up and ends. During the play they are refused with a message, because a cut-off
// transfer leaves the device with part of its firmware. After the play they change nothing.
#pragma once

#include <functional>
#include <mutex>

#include "cli/Console.h"

namespace tern::cli {

class InterruptGate {
public:
    explicit InterruptGate(Console& console) : m_console(console) {}
    InterruptGate(const InterruptGate&) = delete;
    InterruptGate& operator=(const InterruptGate&) = delete;

    // From any thread.
    void Interrupt(int signal);

    // Called, under the gate's lock, for an interrupt before the play; at once when one came
    // already. After ClearStopAction returns it is never called again.
    void SetStopAction(std::function<void()> action);
    void ClearStopAction();

    // Enters the play unless an interrupt came first (then false).
    bool BeginPlay();
    void EndPlay();

    // The signal that ended the run before the play, or 0.
    int InterruptedBy() const;
    // How many interrupts were refused during the play.
    int Refused() const;

private:
    enum class Phase { BeforePlay, Playing, AfterPlay };

    Console& m_console;
    mutable std::mutex m_mutex;
    Phase m_phase = Phase::BeforePlay;
    int m_signal = 0;
    int m_refused = 0;
    std::function<void()> m_stop;
};

}  // namespace tern::cli
