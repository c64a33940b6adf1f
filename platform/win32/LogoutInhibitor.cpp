#include "platform/LogoutInhibitor.h"

namespace tern::platform {

LogoutInhibitor::~LogoutInhibitor() {
    Release();
}

SleepInhibitResult LogoutInhibitor::Take(const std::string& /*why*/) {
    // The system asks each top-level window before it logs out; the window answers for the
    // run itself.
    return {false, "answered by the window on this system"};
}

void LogoutInhibitor::Release() noexcept {
    m_bus = nullptr;
}

}  // namespace tern::platform
