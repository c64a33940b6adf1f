// A plain component object that counts its live instances, and a class factory for it, for
// tests of creation that need some object that is not the device link.
#pragma once

#include <atomic>

#include "platform/ComTypes.h"

namespace tern::test {

class CountedObject final : public IUnknown {
public:
    // `answersEveryInterface`: it claims to be whatever it is asked for, like a wrong or
    // foreign component would; otherwise only IUnknown.
    explicit CountedObject(bool answersEveryInterface) : m_answersEvery(answersEveryInterface) {
        ++Live();
    }

    static std::atomic<int>& Live() {
        static std::atomic<int> live{0};
        return live;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(const IID& iid, void** out) override {
        *out = m_answersEvery || iid == IID_IUnknown ? this : nullptr;
        if (!*out) {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_references;
        if (left == 0) {
            delete this;
        }
        return left;
    }

private:
    ~CountedObject() { --Live(); }

    const bool m_answersEvery;
    std::atomic<ULONG> m_references{1};
};

// Lives as long as the test program; its reference count is not kept.
class CountedObjectFactory final : public IClassFactory {
public:
    explicit CountedObjectFactory(bool answersEveryInterface)
        : m_answersEvery(answersEveryInterface) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(const IID&, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, const IID& iid, void** out) override {
        auto* object = new CountedObject(m_answersEvery);
        const HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(int32_t) override { return S_OK; }

private:
    const bool m_answersEvery;
};

}  // namespace tern::test
