// What both front ends do around a transfer, and do the same way: before the first write a
// look at the processor-time limit (a run it cannot cover is refused), the machine-wide
// install lock (one writer per device), then the system's inhibitors (no sleep, shutdown or
// idle suspend; in the window, no logout either); after the last write, whatever the
// outcome, all of them given back in the reverse order. A refusal is worded here once, in
// the window's short form and the terminal's long one, each with its reason.
//
// Call Begin and End on one thread, outside the transfer: Begin talks to other processes and
// may wait up to platform::kSleepInhibitTimeoutMs for each of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/CpuTimeLimit.h"
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

    // The processor time a run needs against what the system allows the process: the time
    // used so far, the schedule (which the transfer thread spends spinning) and a margin of
    // kCpuMarginMs plus kCpuMarginPercent of the schedule, for the threads beside the
    // transfer (discovery, the progress), the outcome's report after it and a slow port.
    struct CpuTimeCheck {
        platform::CpuTimeAllowance allowance;
        uint64_t scheduleMs = 0;
        uint64_t neededMs = 0;
        bool Covered() const { return !allowance.limited || neededMs <= allowance.limitMs; }
    };
    static constexpr uint64_t kCpuMarginMs = 10000;
    static constexpr uint64_t kCpuMarginPercent = 10;

    struct Begun {
        bool ok = false;
        CpuTimeCheck cpu;                    // refused when not Covered; then nothing is taken
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

    // Raises the processor-time limit as far as it goes and refuses a run whose schedule,
    // `scheduleMs` long, it cannot cover; then takes the lock, then the inhibitors. When the
    // limit or the lock refuses nothing is taken.
    Begun Begin(uint32_t scheduleMs);
    // Gives everything back. Harmless when nothing is held.
    void End();

    // A refusal (the limit's or the lock's) in the window's status line: short, ending
    // "nothing was written.".
    static std::string ShortRefusal(const Begun& begun);
    // The same for a terminal: what the run needs of the limit, or who holds the lock, or why
    // it cannot be had, and what to do.
    static std::string LongRefusal(const Begun& begun);

private:
    Options m_options;
    platform::InstallLock m_lock;
    platform::SleepInhibitor m_sleep;
    platform::LogoutInhibitor m_logout;
};

}  // namespace tern
