#include "SimPort.h"

namespace corvo_sim {

HRESULT STDMETHODCALLTYPE SimPort::Write(uint32_t flags, uint32_t count, const uint8_t* bytes,
                                         uint32_t countAgain) {
    return m_bus ? m_bus->Write(flags, count, bytes, countAgain) : E_FAIL;
}

}  // namespace corvo_sim
