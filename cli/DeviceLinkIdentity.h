// The line that names the component serving the device link, and says when it is the
// simulated bus: an installation "completed" there reached no device.
#pragma once

#include <string>

#include "platform/ComponentIdentity.h"

namespace tern::cli {

// "Device link: LIBRARY", with the simulated bus named as such.
std::string DeviceLinkLine(const platform::ComponentIdentity& identity);

// The component serving the device link in this process (after the root object was made).
platform::ComponentIdentity DeviceLinkIdentity();

}  // namespace tern::cli
