#include "platform/InstallLock.h"

#include "platform/linux/NamedLock.h"

namespace tern::platform {

struct InstallLock::Holder {
    NamedLock lock;
};

InstallLock::InstallLock() : m_holder(std::make_unique<Holder>()) {}

InstallLock::~InstallLock() = default;

bool InstallLock::TryAcquire() {
    return m_holder->lock.TryAcquire(InstallLockName());
}

bool InstallLock::Held() const {
    return m_holder->lock.Held();
}

void InstallLock::Release() {
    m_holder->lock.Release();
}

}  // namespace tern::platform
