#include "SimDevice.h"

#include <new>

#include "SimPort.h"

namespace corvo_sim {

HRESULT STDMETHODCALLTYPE SimDevice::GetPortList(PortList* list) {
    return m_bus ? m_bus->GetPortList(m_nodeIndex, list) : E_FAIL;
}

HRESULT STDMETHODCALLTYPE SimDevice::OpenPort(uint32_t portId, ICorvoPort** port) {
    if (!port) {
        return E_POINTER;
    }
    *port = nullptr;
    if (!m_bus) {
        return E_FAIL;
    }
    if (const auto answer = SimBus::AnswerWithoutObject(m_bus->NextOpenPort())) {
        return *answer;
    }
    if (portId == 0 || portId > m_bus->scenario().PortsOf(m_nodeIndex).size()) {
        return E_INVALIDARG;
    }
    *port = new (std::nothrow) SimPort(m_bus);  // count 1, owned by the caller
    return *port ? S_OK : E_OUTOFMEMORY;
}

}  // namespace corvo_sim
