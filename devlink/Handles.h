// The process-wide device-link handles: empty at start, filled by the dialog's start-up and
// the discovery worker, written through by the transfer player, released when the dialog
// ends. Each list or object handle holds at most one list or object at a time.
#pragma once

#include <cstdint>

#include "devlink/CorvoInterfaces.h"

extern ICorvoAsync* g_pCorvoAsync;    // root object
extern NodeList g_NodeList;           // bus nodes
extern uint64_t g_nDeviceNodeId;      // node id of the matched Ostrel
extern ICorvoDevice* g_pCorvoDevice;  // the opened device
extern PortList g_PortList;           // the device's ports
extern uint32_t g_dwFirmwarePortId;   // port id of the "FIRM" port
extern ICorvoPort* g_pFirmwarePort;   // the opened firmware port

// Empties a list handle, freeing its entries.
void FreeNodeList(NodeList& list);
void FreePortList(PortList& list);

// Empties an object handle, releasing its object.
template <class Interface>
void ReleaseHandle(Interface*& object) {
    if (object) {
        object->Release();
        object = nullptr;
    }
}

// Releases the firmware port, frees the port list, releases the device, frees the node list
// and releases the root object, each only if present; every handle is empty afterwards.
void ReleaseDeviceLinkHandles();
