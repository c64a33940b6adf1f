// The device-link component's interfaces and records: how the program lists bus nodes,
// opens the Ostrel, lists and opens its ports, and writes to the firmware port.
//
// Contract between the program and any component that serves these interfaces:
// - Results are 32-bit; negative means failure. After a failed call no out value may be
//   used; the caller leaves its handle empty.
// - An Open... call that succeeds but hands out a null object is a failure to the caller.
// - A list call that succeeds fills both fields of the list. The entry array is allocated
//   by the component with CoTaskMemAlloc and freed by the caller with CoTaskMemFree, once.
// - Each object handed out carries one reference that the caller releases once.
// - Objects accept calls from any thread, without the calling thread initialising the
//   component runtime; the program never calls one object from two threads at once.
// - Every operation uses the component model's calling convention (STDMETHODCALLTYPE), so
//   a component from any compiler is called correctly in a 32-bit Windows process.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/ComTypes.h"

inline constexpr CLSID CLSID_CorvoAsync =
    tern::platform::GuidFromText("{1A23B247-C9CF-43F5-A7AE-6B1FF4BDB52A}");
inline constexpr IID IID_ICorvoAsync =
    tern::platform::GuidFromText("{24919A8D-2502-49CA-B37B-C348EE6E708C}");

// In-process server or handler: the component is loaded into this process.
constexpr uint32_t kCorvoCreateContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER;

// The Ostrel on the bus, and its firmware port.
constexpr uint32_t kOstrelVendorId = 0x5A3C;
constexpr uint32_t kOstrelModelIds[] = {0x2E0107, 0x2E0108};
constexpr uint32_t kFirmwarePortTag = 0x4649524D;  // "FIRM", first character in the top byte

struct NodeInfo {
    uint64_t nNodeId;  // handed back unchanged to OpenDevice
    uint32_t dwVendorId;
    uint32_t dwModelId;
    uint8_t reserved[264];  // not read by the program
};
// The same layout in 32-bit and 64-bit processes: the component fills these records.
static_assert(sizeof(NodeInfo) == 280);
static_assert(offsetof(NodeInfo, nNodeId) == 0);
static_assert(offsetof(NodeInfo, dwVendorId) == 8);
static_assert(offsetof(NodeInfo, dwModelId) == 12);

struct NodeList {
    uint32_t dwCount;
    NodeInfo* pNodes;  // dwCount entries, CoTaskMemAlloc'ed by the component
};

struct PortInfo {
    uint32_t dwPortId;  // handed back unchanged to OpenPort
    uint32_t dwTag;     // four ASCII characters, the first in the most significant byte
    uint32_t dwReserved;
};
static_assert(sizeof(PortInfo) == 12);
static_assert(offsetof(PortInfo, dwPortId) == 0);
static_assert(offsetof(PortInfo, dwTag) == 4);

struct PortList {
    uint32_t dwCount;
    PortInfo* pPorts;  // dwCount entries, CoTaskMemAlloc'ed by the component
};

struct ICorvoPort;

struct ICorvoDevice : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetPortList(PortList* list) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenPort(uint32_t portId, ICorvoPort** port) = 0;

protected:
    ~ICorvoDevice() = default;
};

struct ICorvoPort : IUnknown {
    // Holds its place in the table; the program never calls it.
    virtual HRESULT STDMETHODCALLTYPE Reserved() = 0;
    // Sends `count` bytes; `flags` is 0 and `countAgain` repeats `count`. Negative: the
    // bytes were not accepted (a communication failure); anything else: accepted.
    virtual HRESULT STDMETHODCALLTYPE Write(uint32_t flags, uint32_t count, const uint8_t* bytes,
                                            uint32_t countAgain) = 0;

protected:
    ~ICorvoPort() = default;
};

struct ICorvoAsync : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetNodeList(NodeList* list) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenDevice(uint64_t nodeId, ICorvoDevice** device) = 0;

protected:
    ~ICorvoAsync() = default;
};
