// The component object model the device-link component is written against: 32-bit results
// (HRESULT), reference-counted interfaces (IUnknown), class factories (IClassFactory). On
// Windows these are the system's; elsewhere the stand-in runtime declares them with the same
// names (the build picks platform/<backend>/backend/ComTypes.h).
//
// Interfaces are C++ abstract classes with no data and no virtual destructor, so their
// table holds exactly IUnknown's three operations followed by their own, in declaration
// order. Every operation is declared STDMETHODCALLTYPE, the component model's calling
// convention (__stdcall in a 32-bit Windows process, nothing elsewhere), so a component built
// by any compiler is called correctly. Every interface pointer handed out (by
// CoCreateInstance, QueryInterface, a class factory or an Open... operation) carries one
// reference that belongs to the receiver, who gives it back with exactly one Release. A
// created object starts with a count of 1. Pointers passed in as arguments are borrowed for
// the call only.
#pragma once

#include "backend/ComTypes.h"

// A creation that failed because the process could open no more files (its limit of open
// files, or the system's, is reached): HRESULT_FROM_WIN32(ERROR_TOO_MANY_OPEN_FILES), as the
// system's runtime words it.
inline constexpr HRESULT kTooManyOpenFilesResult = static_cast<HRESULT>(0x80070004u);

// What every component library exports: its class object for `clsid`, or
// CLASS_E_CLASSNOTAVAILABLE when it does not serve that class.
// Exported with C linkage under the name "DllGetClassObject".
using DllGetClassObjectFn = HRESULT(STDAPICALLTYPE*)(const CLSID& clsid, const IID& iid,
                                                     void** out);
