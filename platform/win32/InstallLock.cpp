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

#include <mutex>
#include <set>

namespace tern::platform {
namespace {

constexpr char kGlobalNamespace[] = "Global\\";

// A mutex can be taken again by the thread that owns it; the lock must refuse a second
// holder in the same process as firmly as one in another.
std::mutex g_heldMutex;
std::set<std::string>& HeldHere() {
    static std::set<std::string> held;
    return held;
}

}  // namespace

struct InstallLock::Holder {
    HANDLE mutex = nullptr;
    std::string name;
};

InstallLock::InstallLock() : m_holder(std::make_unique<Holder>()) {}

InstallLock::~InstallLock() {
    Release();
}

bool InstallLock::TryAcquire() {
    Release();
    // A backslash may appear only after the namespace prefix.
    std::string name = InstallLockName();
    for (char& c : name) {
        if (c == '\\') {
            c = '/';
        }
    }
    name = kGlobalNamespace + name;
    std::lock_guard guard(g_heldMutex);
    if (HeldHere().count(name) != 0) {
        return false;
    }
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    if (!mutex) {
        return false;  // ERROR_ACCESS_DENIED: another user's holder
    }
    const DWORD waited = WaitForSingleObject(mutex, 0);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);  // WAIT_TIMEOUT: held by another process
        return false;
    }
    HeldHere().insert(name);
    m_holder->mutex = mutex;
    m_holder->name = name;
    return true;
}

bool InstallLock::Held() const {
    return m_holder->mutex != nullptr;
}

void InstallLock::Release() {
    if (!m_holder->mutex) {
        return;
    }
    // Fails on another thread than the one that took it; closing the handle then still
    // frees the lock once no one else has it open, and at the latest when that thread ends.
    ReleaseMutex(m_holder->mutex);
    CloseHandle(m_holder->mutex);
    m_holder->mutex = nullptr;
    std::lock_guard guard(g_heldMutex);
    HeldHere().erase(m_holder->name);
}

}  // namespace tern::platform
