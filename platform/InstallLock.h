// The install lock: one writer per device on this machine. tern-flash install and the
// dialog's installation run both take it before they reach the firmware port, so two programs
// never interleave writes. The system frees it when its holder ends, however it ends.
#pragma once

#include <memory>
#include <string>

namespace tern::platform {

// Machine-wide, not per user: a device has one firmware port whoever is logged in.
inline constexpr char kInstallLockName[] = "tern-update/install";

// The variable that names another lock, so test runs side by side do not meet each other.
inline constexpr char kInstallLockVariable[] = "TERN_INSTALL_LOCK";

// kInstallLockName, or the value of TERN_INSTALL_LOCK when it is set and not empty.
std::string InstallLockName();

// Linux: a named lock (platform/linux/NamedLock.h). Windows: a mutex named
// "Global\\<name>", one for all sessions of the machine (see platform/win32/InstallLock.cpp).
class InstallLock {
public:
    InstallLock();
    ~InstallLock();  // releases
    InstallLock(const InstallLock&) = delete;
    InstallLock& operator=(const InstallLock&) = delete;

    // True when this process now holds the lock; false while another holder exists, in this
    // process or another. Take and release it on the same thread (Windows ties a mutex to the
    // thread that took it).
    bool TryAcquire();
    bool Held() const;
    void Release();

    struct Holder;  // the backend's

private:
    std::unique_ptr<Holder> m_holder;
};

}  // namespace tern::platform
