#include "tests/support/SimulatorLibrary.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include "tests/support/ComponentEnvironment.h"
#include "tests/support/Environment.h"

namespace tern::test {

void UseComponentFolders(const std::string& folders) {
    SetEnv("TERN_COMPONENT_PATH", folders.empty() ? std::string(TERN_COMPONENT_DIR) : folders);
}

void ForgetComponentFolders() {
    UnsetEnv("TERN_COMPONENT_PATH");
}

CorvoSimCounts SimulatorCounts() {
    CorvoSimCounts counts{-1, -1};
    // The same file the registry loads, so this is the same instance; kept loaded, as the
    // registry keeps it.
    static void* const handle =
        dlopen((std::string(TERN_COMPONENT_DIR) + "/corvo-sim.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        ADD_FAILURE() << "cannot load the simulator: " << dlerror();
        return counts;
    }
    if (auto get = reinterpret_cast<CorvoSimGetCountsFn>(dlsym(handle, kCorvoSimGetCountsName))) {
        get(&counts);
    } else {
        ADD_FAILURE() << "the simulator exports no counts";
    }
    return counts;
}

}  // namespace tern::test
