// What a person's session, other programs and the system do to the window's process from
// outside the window: the terminal that started it closed or hung up (SIGHUP), Ctrl+C or
// Ctrl+\ typed there, a logout or a kill (SIGTERM), Ctrl+Z, and every other signal the
// platform's interrupt watcher holds (SIGUSR1, SIGXCPU, SIGPWR, the real-time signals, ...).
// Each is handed to a watcher instead of acting at once. While a run writes firmware the
// window refuses it, as it refuses Escape and the close box: a transfer cut off leaves the
// device half-programmed. Otherwise it acts as it always would: Ctrl+Z, SIGTTIN and SIGTTOU
// stop the program, the others end it with 128 + the signal's number. SIGPIPE is ignored, as
// tern-flash ignores it: a write to a pipe whose reader has gone fails instead.
//
// Make it before any other thread starts (first thing in main), so that every thread leaves
// these signals to it.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>

#include "platform/InterruptWatcher.h"

class CTernUpdateDlg;

class CSessionSignals {
public:
    // How the program ends, or stops, when nothing is being written; tests give their own.
    struct Actions {
        std::function<void(int signal)> end;
        std::function<void()> stop;
    };
    CSessionSignals();
    explicit CSessionSignals(Actions actions);
    ~CSessionSignals();
    CSessionSignals(const CSessionSignals&) = delete;
    CSessionSignals& operator=(const CSessionSignals&) = delete;

    // The process's one watcher while it lives, or nullptr.
    static CSessionSignals* Current();

    // The window whose run may refuse a signal, while it is open; nullptr once it is closed.
    void Attach(CTernUpdateDlg* dlg);
    // For the window's lifetime: attaches it, detaches it before it goes.
    class Attachment {
    public:
        explicit Attachment(CTernUpdateDlg& dlg);
        ~Attachment();
        Attachment(const Attachment&) = delete;
        Attachment& operator=(const Attachment&) = delete;
    };

    // How many signals a run has refused.
    int Refused() const { return m_refused; }

private:
    void OnSignal(int signal);

    Actions m_actions;
    std::mutex m_mutex;  // held while a signal is acted on, so the window outlives the act
    CTernUpdateDlg* m_dlg = nullptr;
    std::atomic<int> m_refused{0};
    tern::platform::InterruptWatcher m_watcher;  // last: its thread uses the members above
};
