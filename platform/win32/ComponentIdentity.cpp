// The library the system's registry names as the class's in-process server: the one
// CoCreateInstance loaded into this process.
#include "platform/ComponentIdentity.h"

#include <windows.h>

#include "platform/Guid.h"

namespace tern::platform {

ComponentIdentity IdentifyComponent(const CLSID& clsid) {
    ComponentIdentity identity;
    const std::string key = "CLSID\\" + FormatGuid(clsid) + "\\InprocServer32";
    char path[MAX_PATH * 2] = {};
    DWORD size = sizeof path;
    // REG_SZ also takes an expandable path, expanded: naming the expandable type as well is
    // refused as an invalid request.
    if (RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, path,
                     &size) != ERROR_SUCCESS) {
        return identity;
    }
    identity.library = path;
    // Only a library already loaded is asked: naming it must not load it.
    if (HMODULE module = GetModuleHandleA(path)) {
        const auto marker = reinterpret_cast<SimulationMarkerFn>(
            reinterpret_cast<void*>(GetProcAddress(module, kSimulationMarker)));
        identity.simulation = marker && marker() != 0;
    }
    return identity;
}

std::vector<std::string> SkippedComponents() {
    return {};
}

}  // namespace tern::platform
