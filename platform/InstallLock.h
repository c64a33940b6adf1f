// The install lock: one writer per device on this machine. tern-flash install and the
// dialog's installation run both take it before they reach the firmware port, so two programs
// never interleave writes. The system frees it when its holder ends, however it ends.
#pragma once

#include <string>

#include "platform/NamedLock.h"

namespace tern::platform {

// Machine-wide, not per user: a device has one firmware port whoever is logged in.
inline constexpr char kInstallLockName[] = "tern-update/install";

// The variable that names another lock, so test runs side by side do not meet each other.
inline constexpr char kInstallLockVariable[] = "TERN_INSTALL_LOCK";

// kInstallLockName, or the value of TERN_INSTALL_LOCK when it is set and not empty.
std::string InstallLockName();

class InstallLock {
public:
    // True when this process now holds the lock; false while another holder exists.
    bool TryAcquire() { return m_lock.TryAcquire(InstallLockName()); }
    bool Held() const { return m_lock.Held(); }
    void Release() { m_lock.Release(); }

private:
    NamedLock m_lock;
};

}  // namespace tern::platform
