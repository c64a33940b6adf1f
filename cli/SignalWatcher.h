// Delivers SIGINT and SIGTERM to an InterruptGate instead of ending the process. Create it
// before any other thread starts: the signals are blocked on the creating thread, every
// thread started later inherits that, and one watcher thread reads them from a signal
// descriptor. The signals stay blocked after the watcher ends; the process is about to end
// then, and a late Ctrl+C must not cut its last words short.
#pragma once

#include <thread>

#include "cli/InterruptGate.h"

namespace tern::cli {

class SignalWatcher {
public:
    explicit SignalWatcher(InterruptGate& gate);
    ~SignalWatcher();
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

    // False when the system refused the descriptors or the thread; the signals then keep
    // their default effect.
    bool Active() const { return m_thread.joinable(); }

private:
    void Run();

    InterruptGate& m_gate;
    int m_signalFd = -1;
    int m_stopFd = -1;
    std::thread m_thread;
};

}  // namespace tern::cli
