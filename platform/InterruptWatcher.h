// Delivers what a person's session, other programs and the system do to a program to a
// handler instead of ending or stopping the process: on Linux every signal that would end or
// stop it and that a program may catch, from SIGHUP (the terminal or the connection went away),
// SIGINT (Ctrl+C), SIGQUIT (Ctrl+\), SIGTERM (logout, kill) and SIGTSTP (Ctrl+Z) to SIGUSR1,
// SIGXCPU, SIGPWR and the real-time signals (the list is in the backend). SIGKILL and SIGSTOP
// no program can hold, and the signals of the program's own fault keep their default. On
// Windows Ctrl+C and Ctrl+Break on the console (given as SIGINT, the signal a terminal sends
// for Ctrl+C).
// The handler decides what each one does. It runs on a thread of the watcher's or of the
// system's, never on the thread that created the watcher, and must not wait for that thread.
//
// Linux: create the watcher before any other thread starts. The signals are blocked on the
// creating thread, every thread started later inherits that, and one watcher thread reads
// them from a signal descriptor. They stay blocked after the watcher ends; the process is
// about to end then, and a late Ctrl+C must not cut its last words short.
// Windows: a console control handler. Closing the console window, logging off and shutting
// down keep their default effect, which the system enforces anyway. One watcher per process.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace tern::platform {

class InterruptWatcher {
public:
    using Handler = std::function<void(int signal)>;

    explicit InterruptWatcher(Handler handler);
    // No handler call is running or will start once this returns.
    ~InterruptWatcher();
    InterruptWatcher(const InterruptWatcher&) = delete;
    InterruptWatcher& operator=(const InterruptWatcher&) = delete;

    // False when the system refused what the watcher needs; the requests then keep their
    // default effect.
    bool Active() const;

    // While held, a request the system carries out by ending the process once the handler
    // returns (Windows: the console window closed, a logoff, a shutdown) is given to the
    // handler as SIGTERM and then waits until the hold is released. The system waits only so
    // long for it (a few seconds) before it ends the process all the same. On Linux each such
    // request is a signal the handler decides on, and this does nothing.
    static void HoldEndingRequests(bool hold);

    struct State;  // the backend's

private:
    std::unique_ptr<State> m_state;
};

// Whether `signal` asks the program to stop until continued (Ctrl+Z; on Linux also SIGTTIN
// and SIGTTOU) rather than to end.
bool IsJobStop(int signal);

// "Ctrl+C (SIGINT)", "the terminal's hang-up (SIGHUP)": a signal as the person caused it.
std::string SignalText(int signal);
// The backend's part of that: its own signals' words, or empty.
std::string BackendSignalText(int signal);

}  // namespace tern::platform
