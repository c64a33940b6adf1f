// The stand-in component runtime: per-thread initialisation, creation of component objects
// by class id from plug-in libraries, and the task allocator that components hand lists out
// with.
//
// Component folders: those named by TERN_COMPONENT_PATH (colon-separated, absolute only)
// when it is set, else <exe dir>/../lib/tern-update/components. A library is loaded only when
// a registration in one of them ("*.component", see ComponentRegistration.h) names it for the
// class asked for, and only when the folder, the registration and the library pass the
// ownership checks of TrustedPath.h. The library exports `extern "C" HRESULT
// DllGetClassObject(const CLSID&, const IID&, void**)`; it is loaded once per process and
// stays loaded. One that cannot be loaded, or does not serve the class, is skipped with its
// reason (one that could not be opened for lack of descriptors is tried again later).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ComTypes.h"

// Counts an initialisation on the calling thread: S_OK the first time, S_FALSE after.
HRESULT CoInitialize(void* reserved);
// Undoes one CoInitialize of the calling thread; extra calls are ignored.
void CoUninitialize();

// Creates an object of class `clsid` as interface `iid` with a count of 1. The calling
// thread must have initialised the runtime; `outer` must be null; `context` must allow an
// in-process server or handler. On failure *out is null and the result is negative
// (REGDB_E_CLASSNOTREG when no library serves the class, kTooManyOpenFilesResult when the
// process ran out of descriptors looking for one).
HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, uint32_t context, const IID& iid,
                         void** out);

// Memory that crosses between a component and its caller: whoever receives it frees it.
void* CoTaskMemAlloc(size_t size);
// Frees a block from CoTaskMemAlloc; null is ignored. A pointer that is not a live block
// (freed already, or never allocated here) is not touched and is counted as an invalid free.
void CoTaskMemFree(void* block);

namespace tern::platform {

// Plug-ins are built by the same compiler as the program, so the language's own run-time
// conversion can check what a component handed out.
inline constexpr bool kInterfaceCastChecksType = true;

template <class Interface>
Interface* InterfaceCast(IUnknown* object) {
    return dynamic_cast<Interface*>(object);
}

// How many CoInitialize calls of the calling thread are not yet undone.
int ComInitCount();

// The folders searched for component registrations, in search order, and why a folder that
// would have been searched is not.
struct ComponentFolderList {
    std::vector<std::string> folders;
    std::vector<std::string> problems;
};
ComponentFolderList ComponentFolders();

// What the last search for a class passed over (folders, registrations, libraries), each
// with its reason in one line.
std::vector<std::string> SkippedInLastSearch();

}  // namespace tern::platform
