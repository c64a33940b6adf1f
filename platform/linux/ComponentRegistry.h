// Where class objects come from: in-process registrations first, then the plug-in libraries
// of the component folders, each loaded once per process.
#pragma once

#include <string>

#include "platform/ComTypes.h"

namespace tern::platform {

// The class factory of `clsid` with one reference for the caller, or REGDB_E_CLASSNOTREG
// with *factory null when nothing serves the class.
HRESULT GetClassObject(const CLSID& clsid, void** factory);

// The library that last served `clsid`: its path (empty when an in-process registration
// did) and its handle (null when it could not be loaded), open until the process ends.
struct ServingLibrary {
    std::string path;
    void* handle = nullptr;
};
ServingLibrary LibraryServing(const CLSID& clsid);

}  // namespace tern::platform
