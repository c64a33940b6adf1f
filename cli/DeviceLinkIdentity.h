// The line that names the component serving the device link, and says when it is the
// simulated bus: an installation "completed" there reached no device.
#pragma once

#include <optional>
#include <string>

#include "platform/ComponentIdentity.h"

namespace tern::cli {

// "Device link: LIBRARY", with the simulated bus named as such.
std::string DeviceLinkLine(const platform::ComponentIdentity& identity);

// The component serving the device link in this process (after the root object was made).
platform::ComponentIdentity DeviceLinkIdentity();

// The line for a command that names the link only when it is simulated: install.
std::optional<std::string> SimulatedBusLine();

}  // namespace tern::cli
