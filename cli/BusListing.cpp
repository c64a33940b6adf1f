#include "cli/BusListing.h"

#include "cli/DeviceLinkIdentity.h"

#include <algorithm>

#include "cli/DeviceLinkSession.h"
#include "cli/HexText.h"
#include "cli/RootFailure.h"
#include "devlink/CorvoRoot.h"
#include "devlink/DiscoveryAttempt.h"
#include "devlink/DriverBitness.h"
#include "status/StatusCodes.h"

namespace tern::cli {
namespace {

std::string NodeFailure(int32_t message, uint64_t nodeId) {
    return std::string(MessageText(message)) + " (node " + Hex(nodeId, 16) + ")";
}

// Opens the device of one Ostrel node and lists its ports into `node`. `discovered`: the node
// discovery would take, the only one whose firmware port it would open.
void ReadPorts(ListedNode& node, bool discovered) {
    ICorvoDevice* device = nullptr;
    if (FAILED(g_pCorvoAsync->OpenDevice(node.id, &device)) || !device) {
        node.error = NodeFailure(kMsgCannotOpenDevice, node.id);
        return;
    }
    PortList ports{0, nullptr};
    node.portsListed = SUCCEEDED(device->GetPortList(&ports));
    if (!node.portsListed) {
        ports = {0, nullptr};
        node.error = NodeFailure(kMsgNoPortInfo, node.id);
    }
    bool firmwareSeen = false;
    for (uint32_t i = 0; i < ports.dwCount && ports.pPorts; ++i) {
        const PortInfo& port = ports.pPorts[i];
        // Discovery opens the first port the firmware tag matches.
        const bool firmware = discovered && port.dwTag == kFirmwarePortTag && !firmwareSeen;
        firmwareSeen = firmwareSeen || firmware;
        node.ports.push_back({port.dwPortId, port.dwTag, firmware});
    }
    FreePortList(ports);
    device->Release();
}

}  // namespace

size_t BusListing::Ostrels() const {
    return static_cast<size_t>(
        std::count_if(nodes.begin(), nodes.end(), [](const ListedNode& n) { return n.ostrel; }));
}

BusListing ReadBusListing() {
    BusListing listing;
    DeviceLinkSession session;
    const HRESULT created = CreateCorvoAsync(&g_pCorvoAsync);
    listing.skippedComponents = platform::SkippedComponents();
    listing.registrations = DeviceLinkRegistrations();
    if (FAILED(created)) {
        listing.result.Fail(kExitDeviceLink, RootFailureText(created));
        return listing;
    }
    listing.deviceLink = DeviceLinkIdentity();
    if (FAILED(g_pCorvoAsync->GetNodeList(&g_NodeList))) {
        g_NodeList = {0, nullptr};  // nothing the failed call left behind is ours
        listing.result.Fail(kExitDeviceLink, MessageText(kMsgNoDeviceInfo));
        return listing;
    }
    listing.nodesListed = true;
    const uint32_t count = g_NodeList.pNodes ? g_NodeList.dwCount : 0;
    bool ostrelSeen = false;  // discovery takes the first Ostrel in list order, never another
    for (uint32_t i = 0; i < count; ++i) {
        const NodeInfo& info = g_NodeList.pNodes[i];
        ListedNode node;
        node.id = info.nNodeId;
        node.vendor = info.dwVendorId;
        node.model = info.dwModelId;
        node.ostrel = IsOstrel(info);
        if (node.ostrel) {
            ReadPorts(node, !ostrelSeen);
            ostrelSeen = true;
            if (!node.error.empty()) {
                listing.result.Fail(kExitDeviceLink, node.error);
            }
        }
        listing.nodes.push_back(std::move(node));
    }
    return listing;
}

}  // namespace tern::cli
