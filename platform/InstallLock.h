// The install lock: one writer per device on this machine. tern-flash install and the
// dialog's installation run both take it before they reach the firmware port, so two programs
// never interleave writes. The system frees it when its holder ends, however it ends.
//
// It is machine-wide, not per user: a device has one firmware port whoever is logged in. So
// another user may hold it, and may even keep it from being taken; what nobody can do is take
// it away silently: a refusal always says who holds it, or why it cannot be had.
#pragma once

#include <cstdint>
#include <string>

namespace tern::platform {

// The variable that names another lock, so test runs side by side do not meet each other.
inline constexpr char kInstallLockVariable[] = "TERN_INSTALL_LOCK";

class InstallLock {
public:
    enum class Outcome {
        Taken,        // this process holds it now
        HeldByOther,  // another installation holds it
        Unavailable,  // it cannot be taken for another reason (see `reason`)
    };
    struct Result {
        Outcome outcome = Outcome::Unavailable;
        // HeldByOther: the holder as far as it can be told (an empty user and pid 0 when it
        // cannot); `otherUser` when that holder is not the user running us.
        std::string user;
        long pid = 0;
        bool otherUser = false;
        // Unavailable: why, in a few words, naming the lock.
        std::string reason;

        bool Taken() const { return outcome == Outcome::Taken; }
        // "user alice, process 1234", or empty when the holder cannot be told.
        std::string Holder() const {
            return user.empty() ? std::string()
                                : "user " + user + ", process " + std::to_string(pid);
        }
    };

    InstallLock() = default;
    ~InstallLock();
    InstallLock(const InstallLock&) = delete;
    InstallLock& operator=(const InstallLock&) = delete;

    // Holding it already, it is released first.
    Result TryAcquire();
    bool Held() const;
    void Release();

private:
    intptr_t m_handle = -1;
};

// Where the lock lives: a fixed place in the system's lock folder, or the value of
// TERN_INSTALL_LOCK when it is set and not empty.
std::string InstallLockLocation();

}  // namespace tern::platform
