// What signals do to an installation: the session's, Ctrl+C (SIGINT), SIGTERM, a closed
// terminal or a dropped connection (SIGHUP), Ctrl+\ (SIGQUIT) and Ctrl+Z (SIGTSTP), and every
// other one the platform's interrupt watcher holds (SIGUSR1, SIGXCPU, the real-time signals,
// ...). Before the play those that end a program end the run: the gate records the signal and
// stops what is waiting (the discovery worker), and the run cleans up and ends; Ctrl+Z (and
// SIGTTIN, SIGTTOU) stops the program as usual. During the play each one is held, with a
// message, because a cut-off or stopped transfer leaves the device with part of its firmware;
// once the play has ended the run acts on what was held: it ends with 128 + the signal's
// number, or stops for Ctrl+Z, SIGTTIN or SIGTTOU.
#pragma once

#include <functional>
#include <mutex>

#include "cli/Console.h"

namespace tern::cli {

class InterruptGate {
public:
    // `stopProcess` stops the program as Ctrl+Z would; tests give their own.
    explicit InterruptGate(Console& console, std::function<void()> stopProcess = {});
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
    // After the play's outcome has been shown: a Ctrl+Z held during the play stops the
    // program now, until it is continued.
    void ActOnHeldStop();

    // The signal that ended the run before the play, or 0.
    int InterruptedBy() const;
    // The first signal that would have ended the program during the play or after it, held
    // until the play had ended; 0 when none came.
    int Held() const;
    // How many signals were held during the play, Ctrl+Z included.
    int Refused() const;

private:
    enum class Phase { BeforePlay, Playing, AfterPlay };

    Console& m_console;
    std::function<void()> m_stopProcess;
    mutable std::mutex m_mutex;
    Phase m_phase = Phase::BeforePlay;
    int m_signal = 0;
    int m_held = 0;
    bool m_stopHeld = false;
    int m_refused = 0;
    std::function<void()> m_stop;
};

}  // namespace tern::cli
