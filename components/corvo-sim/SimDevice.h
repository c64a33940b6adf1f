// The opened simulated Ostrel (or any other node): lists its ports and opens them.
#pragma once

#include <memory>

#include "RefCounted.h"
#include "SimBus.h"

namespace corvo_sim {

inline constexpr IID IID_ICorvoDevice =
    tern::platform::GuidFromText("{9C4D2E18-3B7F-4A05-8E6D-1F2A7B3C5D49}");

class SimDevice final : public RefCounted<ICorvoDevice, IID_ICorvoDevice> {
public:
    SimDevice(std::shared_ptr<SimBus> bus, size_t nodeIndex)
        : m_bus(std::move(bus)), m_nodeIndex(nodeIndex) {}

    HRESULT STDMETHODCALLTYPE GetPortList(PortList* list) override;
    HRESULT STDMETHODCALLTYPE OpenPort(uint32_t portId, ICorvoPort** port) override;

private:
    void Drop() override { m_bus.reset(); }

    std::shared_ptr<SimBus> m_bus;
    const size_t m_nodeIndex;
};

}  // namespace corvo_sim
