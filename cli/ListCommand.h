// tern-flash list: the bus nodes as the device link lists them, which of them are an Ostrel,
// and the ports of each Ostrel with their tags.
#pragma once

#include <ostream>

#include "cli/OutputFormat.h"

namespace tern::cli {

// Creates the root object as the window does and lists the nodes to `out`, as text or as one
// JSON document; a device-link failure prints the system's message to `err` either way.
// Returns the exit status: success, or device link failure when the root object, a listing
// or a device open fails.
int RunList(std::ostream& out, std::ostream& err, OutputFormat format = OutputFormat::Text);

}  // namespace tern::cli
