#include "session/InstallSession.h"

namespace tern {

InstallSession::~InstallSession() {
    End();
}

InstallSession::Begun InstallSession::Begin() {
    Begun begun;
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

std::string InstallSession::ShortRefusal(const platform::InstallLock::Result& lock) {
    using Outcome = platform::InstallLock::Outcome;
    if (lock.outcome == Outcome::HeldByOther && lock.otherUser) {
        return "User " + lock.user + " is installing; nothing was written.";
    }
    if (lock.outcome == Outcome::HeldByOther) {
        return "Another installation is running; nothing was written.";
    }
    return "The install lock cannot be taken (" + lock.reason + "); nothing was written.";
}

std::string InstallSession::LongRefusal(const platform::InstallLock::Result& lock) {
    if (lock.outcome == platform::InstallLock::Outcome::Unavailable) {
        return "The install lock cannot be taken: " + lock.reason + ". Nothing was written.";
    }
    const std::string who = lock.Holder().empty() ? "" : " (" + lock.Holder() + ")";
    return std::string(lock.otherUser ? "Another user's installation" : "Another installation") +
           " is running on this machine" + who + ". Wait until it has ended, then try again.";
}

}  // namespace tern
