#include "platform/ComponentIdentity.h"

#include <dlfcn.h>

#include "platform/ComRuntime.h"
#include "platform/linux/ComponentRegistry.h"

namespace tern::platform {

ComponentIdentity IdentifyComponent(const CLSID& clsid) {
    const ServingLibrary serving = LibraryServing(clsid);
    ComponentIdentity identity;
    identity.library = serving.path;
    if (serving.handle) {
        const auto marker =
            reinterpret_cast<SimulationMarkerFn>(dlsym(serving.handle, kSimulationMarker));
        identity.simulation = marker && marker() != 0;
    }
    return identity;
}

std::vector<std::string> SkippedComponents() {
    return SkippedInLastSearch();
}

}  // namespace tern::platform
