#include "devlink/Handles.h"

ICorvoAsync* g_pCorvoAsync = nullptr;
NodeList g_NodeList = {0, nullptr};
uint64_t g_nDeviceNodeId = 0;
ICorvoDevice* g_pCorvoDevice = nullptr;
PortList g_PortList = {0, nullptr};
uint32_t g_dwFirmwarePortId = 0;
ICorvoPort* g_pFirmwarePort = nullptr;
