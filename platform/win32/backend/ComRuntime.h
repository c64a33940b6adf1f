// The system's component runtime: CoInitialize, CoCreateInstance, CoTaskMemAlloc,
// CoTaskMemFree and CoUninitialize from ole32. In-process servers are found through the
// registry (HKEY_CLASSES_ROOT\CLSID\{...}\InprocServer32).
#pragma once

#include <objbase.h>

#include "platform/ComTypes.h"

namespace tern::platform {

// A component may come from another compiler, whose run-time type information this
// program cannot read: the object CoCreateInstance handed out for an interface id is that
// interface, as the component model promises, and nothing more can be checked.
inline constexpr bool kInterfaceCastChecksType = false;

template <class Interface>
Interface* InterfaceCast(IUnknown* object) {
    return static_cast<Interface*>(object);
}

}  // namespace tern::platform
