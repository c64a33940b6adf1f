#include "platform/ComRuntime.h"

#include "platform/linux/ComponentRegistry.h"

namespace {

thread_local int t_initCount = 0;

}  // namespace

HRESULT CoInitialize(void* /*reserved*/) {
    return t_initCount++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
    if (t_initCount > 0) {
        --t_initCount;
    }
}

HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, uint32_t context, const IID& iid,
                         void** out) {
    if (!out) {
        return E_POINTER;
    }
    *out = nullptr;
    if (t_initCount == 0) {
        return CO_E_NOTINITIALIZED;
    }
    if (outer) {
        return CLASS_E_NOAGGREGATION;
    }
    if ((context & (CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER)) == 0) {
        return REGDB_E_CLASSNOTREG;
    }
    IClassFactory* factory = nullptr;
    HRESULT hr = tern::platform::GetClassObject(clsid, reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) {
        return hr;
    }
    hr = factory->CreateInstance(nullptr, iid, out);
    factory->Release();
    if (FAILED(hr)) {
        *out = nullptr;  // whatever the component left there is not ours to use
    }
    return hr;
}

namespace tern::platform {

int ComInitCount() {
    return t_initCount;
}

bool ComInitialisedOnThisThread() {
    return t_initCount > 0;
}

}  // namespace tern::platform
