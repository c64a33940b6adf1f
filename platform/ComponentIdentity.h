// Which library serves a class of component, and whether that library says it simulates its
// device. Read from what the component runtime loaded, not through the component's
// interfaces, which have no such question: a simulating library exports the marker below.
#pragma once

#include <string>
#include <vector>

#include "platform/ComTypes.h"

namespace tern::platform {

// Exported, under this plain name, by a component library that simulates the device it
// stands for: `extern "C" int TernComponentIsSimulation(void)`, answering nonzero.
inline constexpr char kSimulationMarker[] = "TernComponentIsSimulation";
using SimulationMarkerFn = int (*)();

struct ComponentIdentity {
    std::string library;  // the file the class is served from; empty when from no library
    bool simulation = false;
};

// The library serving `clsid` to this process. Meaningful once an object of the class has
// been created here; before that, or when the class is served from the program itself, the
// library is empty.
ComponentIdentity IdentifyComponent(const CLSID& clsid);

// What the runtime passed over when it last looked for a component, each with its reason in
// one line: a registration or library another user could change, one that could not be
// loaded. Empty where the system's registry alone decides.
std::vector<std::string> SkippedComponents();

}  // namespace tern::platform
