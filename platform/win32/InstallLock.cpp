// The install lock on Windows: a named mutex in the Global namespace.
//
// Why Global: a plain name lives in the session's own namespace (Local\), so a second user
// in another session (fast user switching, a remote desktop) would get a mutex of their own
// and could write to the same device at the same time. "Global\" names one object for the
// whole machine. A mutex made by one user can be opened by another only if its security
// allows it; by default it does not, so the second user's CreateMutexA fails with
// ERROR_ACCESS_DENIED, which also means "someone holds it": the lock cannot be taken from
// under its holder, and whoever holds it is refused openly, never silently.
//
// Ownership, not mere existence, decides: a process that finds the mutex keeps a handle
// only for as long as it asks, and its handle must not make the lock look held after the
// holder has gone. When a holder ends without releasing, the system marks the mutex
// abandoned and the next one to ask owns it.
#include "platform/InstallLock.h"

#include <windows.h>

#include <cstdlib>
#include <map>
#include <mutex>

namespace tern::platform {
namespace {

constexpr char kGlobalNamespace[] = "Global\\";

// A mutex can be taken again by the thread that owns it; the lock must refuse a second
// holder in the same process as firmly as one in another.
// Each name held here, with the handle that holds it: the release frees the name it took,
// whatever the variable says by then.
std::mutex g_heldMutex;
std::map<std::string, intptr_t>& HeldHere() {
    static std::map<std::string, intptr_t> held;
    return held;
}

// The lock's name for this machine: the variable's value, or the program's own.
constexpr char kDefaultName[] = "tern-update/install";

std::string MutexName() {
    std::string name = InstallLockLocation();
    // A backslash may appear only after the namespace prefix.
    for (char& c : name) {
        if (c == '\\') {
            c = '/';
        }
    }
    return kGlobalNamespace + name;
}

}  // namespace

std::string InstallLockLocation() {
    const char* name = std::getenv(kInstallLockVariable);
    return name && *name ? name : kDefaultName;
}

InstallLock::~InstallLock() {
    Release();
}

InstallLock::Result InstallLock::TryAcquire() {
    Release();
    const std::string name = MutexName();
    Result result;
    std::lock_guard guard(g_heldMutex);
    if (HeldHere().count(name) != 0) {
        result.outcome = Outcome::HeldByOther;
        return result;
    }
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    if (!mutex) {
        if (GetLastError() == ERROR_ACCESS_DENIED) {
            // Made by another user, whose holder we may not even open.
            result.outcome = Outcome::HeldByOther;
            result.otherUser = true;
        } else {
            result.reason = name + " cannot be made (error " + std::to_string(GetLastError()) + ")";
        }
        return result;
    }
    const DWORD waited = WaitForSingleObject(mutex, 0);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);  // WAIT_TIMEOUT: held by another process
        result.outcome = Outcome::HeldByOther;
        return result;
    }
    m_handle = reinterpret_cast<intptr_t>(mutex);
    HeldHere().emplace(name, m_handle);
    result.outcome = Outcome::Taken;
    return result;
}

bool InstallLock::Held() const {
    return m_handle != -1;
}

void InstallLock::Release() {
    if (m_handle == -1) {
        return;
    }
    const HANDLE mutex = reinterpret_cast<HANDLE>(m_handle);
    // Fails on another thread than the one that took it; closing the handle then still
    // frees the lock once no one else has it open, and at the latest when that thread ends.
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    std::lock_guard guard(g_heldMutex);
    std::erase_if(HeldHere(), [this](const auto& entry) { return entry.second == m_handle; });
    m_handle = -1;
}

}  // namespace tern::platform
