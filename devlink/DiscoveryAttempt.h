// One discovery attempt: from the node list to the open firmware port, through the
// process-wide handles. Its result is the step it stopped at, which is also the number of
// the message that reports that failure.
#pragma once

#include <cstdint>
#include <string>

#include "devlink/CorvoInterfaces.h"

enum DiscoveryStep : int32_t {
    kStepPortOpen = 0,        // the firmware port is open
    kStepNodeList = 2,        // GetNodeList failed
    kStepNoDevice = 3,        // no node is an Ostrel
    kStepOpenDevice = 4,      // OpenDevice failed or handed out nothing
    kStepPortList = 5,        // GetPortList failed
    kStepNoFirmwarePort = 6,  // no port is tagged "FIRM"
    kStepOpenPort = 7,        // OpenPort failed or handed out nothing
};

// The device rule: the Ostrel's vendor and one of its models, each compared whole.
bool IsOstrel(const NodeInfo& node);

// Needs the root object in its handle. Refills the node list, device node id, device, port
// list, firmware port id and firmware port handles as far as it gets.
DiscoveryStep RunDiscoveryAttempt();

// The port tag as its four characters, the most significant byte first.
std::string FormatPortTag(uint32_t tag);
