// A port of the simulated Ostrel: every write goes to the bus, which decides and records it.
#pragma once

#include <memory>

#include "RefCounted.h"
#include "SimBus.h"

namespace corvo_sim {

inline constexpr IID IID_ICorvoPort =
    tern::platform::GuidFromText("{5B0F3C71-8E2A-4D6B-9A41-6C3E2F8D1B07}");

class SimPort final : public RefCounted<ICorvoPort, IID_ICorvoPort> {
public:
    explicit SimPort(std::shared_ptr<SimBus> bus) : m_bus(std::move(bus)) {}

    HRESULT STDMETHODCALLTYPE Reserved() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Write(uint32_t flags, uint32_t count, const uint8_t* bytes,
                                    uint32_t countAgain) override;

private:
    void Drop() override { m_bus.reset(); }

    std::shared_ptr<SimBus> m_bus;
};

}  // namespace corvo_sim
