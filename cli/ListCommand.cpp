#include "cli/ListCommand.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>

#include "cli/DeviceLinkIdentity.h"
#include "cli/DeviceLinkSession.h"
#include "cli/ExitStatus.h"
#include "devlink/CorvoRoot.h"
#include "devlink/DiscoveryAttempt.h"
#include "engine/StatusCodes.h"

namespace tern::cli {
namespace {

std::string Hex(uint64_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

// The four characters of a tag, most significant byte first; a byte that is not printable
// shows as '?' so a strange component cannot garble the terminal.
std::string TagText(uint32_t tag) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<unsigned char>(tag >> shift);
        text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    return text;
}

// Opens the device of one Ostrel node and lists its ports. False, with the system's message
// printed, when the device cannot be opened or its ports cannot be listed.
bool ListPorts(const NodeInfo& node, std::ostream& out, std::ostream& err) {
    ICorvoDevice* device = nullptr;
    if (FAILED(g_pCorvoAsync->OpenDevice(node.nNodeId, &device)) || !device) {
        err << MessageText(kMsgCannotOpenDevice) << " (node " << Hex(node.nNodeId, 16) << ")\n";
        return false;
    }
    PortList ports{0, nullptr};
    const bool listed = SUCCEEDED(device->GetPortList(&ports));
    if (!listed) {
        ports = {0, nullptr};
        err << MessageText(kMsgNoPortInfo) << " (node " << Hex(node.nNodeId, 16) << ")\n";
    }
    bool firmwareSeen = false;
    for (uint32_t i = 0; i < ports.dwCount && ports.pPorts; ++i) {
        const PortInfo& port = ports.pPorts[i];
        out << "  port " << port.dwPortId << ": " << TagText(port.dwTag) << " ("
            << Hex(port.dwTag, 8) << ")";
        // Discovery opens the first port the firmware tag matches.
        if (port.dwTag == kFirmwarePortTag && !firmwareSeen) {
            firmwareSeen = true;
            out << ", firmware port";
        }
        out << '\n';
    }
    if (listed && ports.dwCount == 0) {
        out << "  no ports\n";
    }
    FreePortList(ports);
    device->Release();
    return listed;
}

}  // namespace

int RunList(std::ostream& out, std::ostream& err) {
    DeviceLinkSession session;
    if (FAILED(CreateCorvoAsync(&g_pCorvoAsync))) {
        err << MessageText(kMsgNoInterface) << '\n';
        return kExitDeviceLink;
    }
    out << DeviceLinkLine(DeviceLinkIdentity()) << '\n';
    if (FAILED(g_pCorvoAsync->GetNodeList(&g_NodeList))) {
        g_NodeList = {0, nullptr};  // nothing the failed call left behind is ours
        err << MessageText(kMsgNoDeviceInfo) << '\n';
        return kExitDeviceLink;
    }
    const uint32_t count = g_NodeList.pNodes ? g_NodeList.dwCount : 0;
    const auto ostrels = std::count_if(g_NodeList.pNodes, g_NodeList.pNodes + count, IsOstrel);
    out << count << (count == 1 ? " node" : " nodes") << " on the bus, " << ostrels
        << (ostrels == 1 ? " Ostrel\n" : " Ostrels\n");
    bool allListed = true;
    for (uint32_t i = 0; i < count; ++i) {
        const NodeInfo& node = g_NodeList.pNodes[i];
        const bool ostrel = IsOstrel(node);
        out << "node " << i + 1 << ": id " << Hex(node.nNodeId, 16) << ", vendor "
            << Hex(node.dwVendorId, 4) << ", model " << Hex(node.dwModelId, 6) << ", "
            << (ostrel ? "Ostrel" : "not an Ostrel") << '\n';
        if (ostrel) {
            allListed = ListPorts(node, out, err) && allListed;
        }
    }
    return allListed ? kExitSuccess : kExitDeviceLink;
}

}  // namespace tern::cli
