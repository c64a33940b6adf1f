// The component object model of the stand-in runtime: the types, results and base
// interfaces that the system's own runtime provides on Windows, declared here with the same
// names and meaning.
#pragma once

#include <cstdint>

#include "platform/Guid.h"

// One calling convention on this platform: the markers that Windows needs for its component
// model expand to nothing.
#define STDMETHODCALLTYPE
#define STDAPICALLTYPE

using HRESULT = int32_t;  // negative: failure; zero or positive: success
using ULONG = uint32_t;   // reference counts

constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154u);
constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);

// Creation contexts; this runtime serves only in-process components.
constexpr uint32_t CLSCTX_INPROC_SERVER = 0x1;
constexpr uint32_t CLSCTX_INPROC_HANDLER = 0x2;

inline constexpr IID IID_IUnknown =
    tern::platform::GuidFromText("{00000000-0000-0000-C000-000000000046}");
inline constexpr IID IID_IClassFactory =
    tern::platform::GuidFromText("{00000001-0000-0000-C000-000000000046}");

struct IUnknown {
    // On success *out holds a new reference to the interface asked for; on failure
    // (E_NOINTERFACE) *out is null.
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(const IID& iid, void** out) = 0;
    // Both return the new count, for diagnostics only.
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;

protected:
    ~IUnknown() = default;  // objects end through Release, never through delete
};

struct IClassFactory : IUnknown {
    // A new object with the count 1, as interface `iid`; `outer` must be null.
    virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, const IID& iid,
                                                     void** out) = 0;
    virtual HRESULT STDMETHODCALLTYPE LockServer(int32_t lock) = 0;

protected:
    ~IClassFactory() = default;
};
