#include "devlink/Handles.h"

#include "platform/ComRuntime.h"

ICorvoAsync* g_pCorvoAsync = nullptr;
NodeList g_NodeList = {0, nullptr};
uint64_t g_nDeviceNodeId = 0;
ICorvoDevice* g_pCorvoDevice = nullptr;
PortList g_PortList = {0, nullptr};
uint32_t g_dwFirmwarePortId = 0;
ICorvoPort* g_pFirmwarePort = nullptr;

void FreeNodeList(NodeList& list) {
    CoTaskMemFree(list.pNodes);
    list = {0, nullptr};
}

void FreePortList(PortList& list) {
    CoTaskMemFree(list.pPorts);
    list = {0, nullptr};
}

void ReleaseDeviceLinkHandles() {
    ReleaseHandle(g_pFirmwarePort);
    FreePortList(g_PortList);
    ReleaseHandle(g_pCorvoDevice);
    FreeNodeList(g_NodeList);
    ReleaseHandle(g_pCorvoAsync);
    g_nDeviceNodeId = 0;
    g_dwFirmwarePortId = 0;
}
