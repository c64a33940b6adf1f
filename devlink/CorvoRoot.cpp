#include "devlink/CorvoRoot.h"

#include "platform/ComRuntime.h"

HRESULT CreateCorvoAsync(ICorvoAsync** root) {
    if (!root) {
        return E_POINTER;
    }
    *root = nullptr;
    void* created = nullptr;
    const HRESULT hr =
        CoCreateInstance(CLSID_CorvoAsync, nullptr, kCorvoCreateContext, IID_ICorvoAsync, &created);
    if (FAILED(hr)) {
        return hr;
    }
    if (!created) {
        return E_FAIL;
    }
    auto* unknown = static_cast<IUnknown*>(created);
    auto* async = tern::platform::InterfaceCast<ICorvoAsync>(unknown);
    if (!async) {
        unknown->Release();
        return E_NOINTERFACE;
    }
    *root = async;
    return S_OK;
}
