#include "platform/InstallLock.h"

#include <cstdlib>

namespace tern::platform {

std::string InstallLockName() {
    const char* name = std::getenv(kInstallLockVariable);
    return name && *name ? name : kInstallLockName;
}

}  // namespace tern::platform
