#include "devlink/DiscoveryAttempt.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "devlink/Handles.h"

bool IsOstrel(const NodeInfo& node) {
    return node.dwVendorId == kOstrelVendorId &&
           std::find(std::begin(kOstrelModelIds), std::end(kOstrelModelIds), node.dwModelId) !=
               std::end(kOstrelModelIds);
}

namespace {

// A list the component filled: a count with no entries behind it is taken as empty.
template <class Entry>
const Entry* Entries(uint32_t count, const Entry* entries) {
    return count > 0 ? entries : nullptr;
}

}  // namespace

DiscoveryStep RunDiscoveryAttempt() {
    FreeNodeList(g_NodeList);
    if (FAILED(g_pCorvoAsync->GetNodeList(&g_NodeList))) {
        g_NodeList = {0, nullptr};  // nothing the failed call left behind is ours
        return kStepNodeList;
    }
    const NodeInfo* nodes = Entries(g_NodeList.dwCount, g_NodeList.pNodes);
    const NodeInfo* device =
        nodes ? std::find_if(nodes, nodes + g_NodeList.dwCount, IsOstrel) : nullptr;
    if (!device || device == nodes + g_NodeList.dwCount) {
        return kStepNoDevice;
    }
    g_nDeviceNodeId = device->nNodeId;

    ReleaseHandle(g_pCorvoDevice);
    if (FAILED(g_pCorvoAsync->OpenDevice(g_nDeviceNodeId, &g_pCorvoDevice)) || !g_pCorvoDevice) {
        g_pCorvoDevice = nullptr;
        return kStepOpenDevice;
    }

    FreePortList(g_PortList);
    if (FAILED(g_pCorvoDevice->GetPortList(&g_PortList))) {
        g_PortList = {0, nullptr};
        return kStepPortList;
    }
    const PortInfo* ports = Entries(g_PortList.dwCount, g_PortList.pPorts);
    const PortInfo* firmware =
        ports ? std::find_if(ports, ports + g_PortList.dwCount,
                             [](const PortInfo& p) { return p.dwTag == kFirmwarePortTag; })
              : nullptr;
    if (!firmware || firmware == ports + g_PortList.dwCount) {
        return kStepNoFirmwarePort;
    }
    g_dwFirmwarePortId = firmware->dwPortId;

    ReleaseHandle(g_pFirmwarePort);
    if (FAILED(g_pCorvoDevice->OpenPort(g_dwFirmwarePortId, &g_pFirmwarePort)) ||
        !g_pFirmwarePort) {
        g_pFirmwarePort = nullptr;
        return kStepOpenPort;
    }
    return kStepPortOpen;
}

std::string FormatPortTag(uint32_t tag) {
    char text[5];
    std::snprintf(text, sizeof text, "%c%c%c%c", static_cast<char>(tag >> 24),
                  static_cast<char>(tag >> 16), static_cast<char>(tag >> 8),
                  static_cast<char>(tag));
    return std::string(text, 4);
}
