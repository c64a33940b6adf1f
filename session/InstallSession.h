// What both front ends do around a transfer, and do the same way: before the first write the
// machine-wide install lock (one writer per device), then the system's inhibitors (no sleep,
// shutdown or idle suspend; in the window, no logout either); after the last write, whatever
// the outcome, all of them given back in the reverse order. A refusal is worded here once, in
// the window's short form and the terminal's long one, each with its reason.
//
// Call Begin and End on one thread, outside the transfer: Begin talks to other processes and
// may wait up to platform::kSleepInhibitTimeoutMs for each of them.
#pragma once

#include <string>
#include <vector>

#include "platform/InstallLock.h"
#include "platform/LogoutInhibitor.h"
#include "platform/SleepInhibitor.h"

namespace tern {

class InstallSession {
public:
    struct Options {
        // The window's run: the desktop is asked not to log out while it lasts. A terminal
        // has no desktop session of its own to ask.
        bool inhibitLogout = false;
    };

    struct Begun {
        bool ok = false;
        platform::InstallLock::Result lock;  // why not, when the lock refused
        // What could not be had and does not stop the transfer, one line each.
        std::vector<std::string> notices;
    };

    InstallSession() = default;
    explicit InstallSession(Options options) : m_options(options) {}
    // Ends the session if it is still begun.
    ~InstallSession();
    InstallSession(const InstallSession&) = delete;
    InstallSession& operator=(const InstallSession&) = delete;

    // Takes the lock, then the inhibitors. When the lock refuses nothing else is taken.
    Begun Begin();
    // Gives everything back. Harmless when nothing is held.
    void End();

    // The lock's refusal in the window's status line: short, ending "nothing was written.".
    static std::string ShortRefusal(const platform::InstallLock::Result& lock);
    // The same for a terminal: who holds it, or why it cannot be had, and what to do.
    static std::string LongRefusal(const platform::InstallLock::Result& lock);

private:
    Options m_options;
    platform::InstallLock m_lock;
    platform::SleepInhibitor m_sleep;
    platform::LogoutInhibitor m_logout;
};

}  // namespace tern
