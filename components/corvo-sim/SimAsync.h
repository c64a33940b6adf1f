// The root object of the simulated bus: lists the nodes and opens devices.
#pragma once

#include <memory>

#include "RefCounted.h"
#include "SimBus.h"

namespace corvo_sim {

class SimAsync final : public RefCounted<ICorvoAsync, IID_ICorvoAsync> {
public:
    explicit SimAsync(std::shared_ptr<SimBus> bus) : m_bus(std::move(bus)) {}

    HRESULT STDMETHODCALLTYPE GetNodeList(NodeList* list) override;
    HRESULT STDMETHODCALLTYPE OpenDevice(uint64_t nodeId, ICorvoDevice** device) override;

private:
    void Drop() override { m_bus.reset(); }

    std::shared_ptr<SimBus> m_bus;
};

}  // namespace corvo_sim
