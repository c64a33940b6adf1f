// The simulated bus as a component plug-in: its class object and the creation of its root
// object, which reads the scenario and opens the capture.
#include <cstdio>
#include <new>
#include <string>

#include "Export.h"
#include "SimAsync.h"
#include "SimBus.h"

namespace corvo_sim {
namespace {

class ClassFactory final : public RefCounted<IClassFactory, IID_IClassFactory> {
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, const IID& iid, void** out) override {
        if (!out) {
            return E_POINTER;
        }
        *out = nullptr;
        if (outer) {
            return CLASS_E_NOAGGREGATION;
        }
        // No exception crosses the interface: out of memory is a result.
        try {
            return Create(iid, out);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }

    HRESULT STDMETHODCALLTYPE LockServer(int32_t lock) override {
        CountServerLock(lock != 0);
        return S_OK;
    }

private:
    static HRESULT Create(const IID& iid, void** out) {
        std::string problem;
        auto bus = SimBus::FromEnvironment(problem);
        if (!bus) {
            std::fprintf(stderr, "corvo-sim: %s\n", problem.c_str());
            return E_FAIL;
        }
        if (bus->scenario().createFails) {
            return E_FAIL;
        }
        auto* root = new SimAsync(std::move(bus));
        const HRESULT hr = root->QueryInterface(iid, out);
        root->Release();  // the caller's reference, if any, is the one QueryInterface made
        return hr;
    }
};

}  // namespace
}  // namespace corvo_sim

extern "C" CORVO_SIM_EXPORT HRESULT STDAPICALLTYPE DllGetClassObject(const CLSID& clsid,
                                                                     const IID& iid, void** out) {
    if (!out) {
        return E_POINTER;
    }
    *out = nullptr;
    if (!(clsid == CLSID_CorvoAsync)) {
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    auto* factory = new (std::nothrow) corvo_sim::ClassFactory;
    if (!factory) {
        return E_OUTOFMEMORY;
    }
    const HRESULT hr = factory->QueryInterface(iid, out);
    factory->Release();
    return hr;
}

// Says that this library is the simulated bus, so that no program mistakes it for a device.
extern "C" CORVO_SIM_EXPORT int TernComponentIsSimulation() {
    return 1;
}
