// Which build of the program can load the bus driver's device-link component: a 32-bit
// component loads only into a 32-bit program, a 64-bit one only into a 64-bit program.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/OtherBitness.h"

namespace tern {

// The device link's class in the registry's views, this process's own first.
std::vector<platform::ViewRegistration> DeviceLinkRegistrations();

// The registration of the other bitness when the class is registered for it alone: this build
// cannot load the driver's component, the other build can. Registered in this process's own
// view, or in both, it is nothing.
std::optional<platform::ViewRegistration> OtherBitnessOnly(
    const std::vector<platform::ViewRegistration>& registrations);

// The other build's program to hand this start to: the device link's class is registered for
// the other bitness alone, and that build is installed beside this one. Empty otherwise.
std::string HandOverTarget();

}  // namespace tern
