// What tern-flash list finds on the bus: every node the device link lists, and the ports of
// each Ostrel, read once and then shown as text or as JSON.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandResult.h"
#include "platform/ComponentIdentity.h"
#include "platform/OtherBitness.h"

namespace tern::cli {

struct ListedPort {
    uint32_t id = 0;
    uint32_t tag = 0;
    bool firmwarePort = false;  // the port discovery would open: the first Ostrel's first "FIRM"
};

struct ListedNode {
    uint64_t id = 0;
    uint32_t vendor = 0;
    uint32_t model = 0;
    bool ostrel = false;
    bool portsListed = false;  // an Ostrel whose device opened and listed its ports
    std::vector<ListedPort> ports;
    std::string error;  // the system's message when an Ostrel's ports could not be listed
};

struct BusListing {
    CommandResult result;
    std::optional<platform::ComponentIdentity> deviceLink;  // once the root object exists
    // What the component runtime passed over looking for the device link, with its reasons.
    std::vector<std::string> skippedComponents;
    // The device link's class in the registry's views, this program's own first.
    std::vector<platform::ViewRegistration> registrations;
    bool nodesListed = false;  // false when the root object or the node list failed
    std::vector<ListedNode> nodes;

    size_t Ostrels() const;
};

// Creates the root object as the window does, lists the nodes and opens each Ostrel's device
// for its ports; releases everything it took before it returns. Fails with device link
// failure when the root object, a listing or a device open fails.
BusListing ReadBusListing();

}  // namespace tern::cli
