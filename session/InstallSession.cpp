#include "session/InstallSession.h"

namespace tern {
namespace {

InstallSession::CpuTimeCheck CheckCpuTime(uint32_t scheduleMs) {
    InstallSession::CpuTimeCheck check;
    check.allowance = platform::RaiseCpuTimeLimit();
    check.scheduleMs = scheduleMs;
    check.neededMs = check.allowance.usedMs + scheduleMs + InstallSession::kCpuMarginMs +
                     uint64_t{scheduleMs} * InstallSession::kCpuMarginPercent / 100;
    return check;
}

// "2.5 s": tenths, rounded down.
std::string Seconds(uint64_t ms) {
    return std::to_string(ms / 1000) + "." + std::to_string(ms % 1000 / 100) + " s";
}

// Whole seconds, rounded up: what the limit must at least be set to.
std::string WholeSeconds(uint64_t ms) {
    return std::to_string((ms + 999) / 1000) + " s";
}

}  // namespace

InstallSession::~InstallSession() {
    End();
}

InstallSession::Begun InstallSession::Begin(uint32_t scheduleMs) {
    Begun begun;
    // A limit reached part way ends the process in the middle of the transfer.
    begun.cpu = CheckCpuTime(scheduleMs);
    if (!begun.cpu.Covered()) {
        return begun;
    }
    begun.lock = m_lock.TryAcquire();
    if (!begun.lock.Taken()) {
        return begun;
    }
    begun.ok = true;
    // A machine that suspends or shuts down mid-transfer leaves the device half-programmed.
    // Without a login manager or a desktop to ask, the transfer goes on all the same.
    if (const platform::SleepInhibitResult sleep =
            m_sleep.Take(platform::kSleepInhibitorWho, platform::kSleepInhibitorWhy);
        !sleep.held) {
        begun.notices.push_back("Sleep could not be inhibited (" + sleep.reason +
                                "): keep the machine awake until the transfer has ended.");
    }
    if (m_options.inhibitLogout) {
        if (const platform::SleepInhibitResult logout = m_logout.Take(platform::kSleepInhibitorWhy);
            !logout.held) {
            begun.notices.push_back("Logout could not be inhibited (" + logout.reason +
                                    "): stay logged in until the transfer has ended.");
        }
    }
    return begun;
}

void InstallSession::End() {
    m_logout.Release();
    m_sleep.Release();
    m_lock.Release();
}

std::string InstallSession::ShortRefusal(const Begun& begun) {
    if (const CpuTimeCheck& cpu = begun.cpu; !cpu.Covered()) {
        return "The CPU-time limit, " + WholeSeconds(cpu.allowance.limitMs) +
               ", is too short for this transfer (" + WholeSeconds(cpu.neededMs) +
               "); nothing was written.";
    }
    const platform::InstallLock::Result& lock = begun.lock;
    using Outcome = platform::InstallLock::Outcome;
    if (lock.outcome == Outcome::HeldByOther && lock.otherUser) {
        return "User " + lock.user + " is installing; nothing was written.";
    }
    if (lock.outcome == Outcome::HeldByOther) {
        return "Another installation is running; nothing was written.";
    }
    return "The install lock cannot be taken (" + lock.reason + "); nothing was written.";
}

std::string InstallSession::LongRefusal(const Begun& begun) {
    if (const CpuTimeCheck& cpu = begun.cpu; !cpu.Covered()) {
        const uint64_t spareMs = cpu.neededMs - cpu.allowance.usedMs - cpu.scheduleMs;
        return "The CPU-time limit, " + WholeSeconds(cpu.allowance.limitMs) + " (" +
               platform::CpuTimeLimitSetting() + "), is too short for this transfer: it needs " +
               WholeSeconds(cpu.neededMs) + " of processor time (its " + Seconds(cpu.scheduleMs) +
               " schedule, which the transfer spends spinning, " + Seconds(cpu.allowance.usedMs) +
               " used so far and " + Seconds(spareMs) +
               " to spare). Raise the limit to at least that, then try again. Nothing was "
               "written.";
    }
    const platform::InstallLock::Result& lock = begun.lock;
    if (lock.outcome == platform::InstallLock::Outcome::Unavailable) {
        return "The install lock cannot be taken: " + lock.reason + ". Nothing was written.";
    }
    const std::string who = lock.Holder().empty() ? "" : " (" + lock.Holder() + ")";
    return std::string(lock.otherUser ? "Another user's installation" : "Another installation") +
           " is running on this machine" + who + ". Wait until it has ended, then try again.";
}

}  // namespace tern
