#include "SimAsync.h"

#include <new>

#include "SimDevice.h"

namespace corvo_sim {

HRESULT STDMETHODCALLTYPE SimAsync::GetNodeList(NodeList* list) {
    return m_bus ? m_bus->GetNodeList(list) : E_FAIL;
}

HRESULT STDMETHODCALLTYPE SimAsync::OpenDevice(uint64_t nodeId, ICorvoDevice** device) {
    if (!device) {
        return E_POINTER;
    }
    *device = nullptr;
    if (!m_bus) {
        return E_FAIL;
    }
    if (const auto answer = SimBus::AnswerWithoutObject(m_bus->NextOpenDevice())) {
        return *answer;
    }
    const int index = m_bus->NodeIndexOf(nodeId);
    if (index < 0) {
        return E_INVALIDARG;
    }
    // Count 1, owned by the caller. No exception crosses the interface: out of memory is a result.
    *device = new (std::nothrow) SimDevice(m_bus, static_cast<size_t>(index));
    return *device ? S_OK : E_OUTOFMEMORY;
}

}  // namespace corvo_sim
