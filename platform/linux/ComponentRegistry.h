// Where class objects come from: in-process registrations first, then the libraries that the
// registrations in the component folders name for the class, each loaded once per process.
#pragma once

#include <string>

#include "platform/ComTypes.h"

namespace tern::platform {

// The class factory of `clsid` with one reference for the caller, or with *factory null
// REGDB_E_CLASSNOTREG when nothing serves the class, kTooManyOpenFilesResult when a folder
// or library could not be opened for lack of descriptors.
HRESULT GetClassObject(const CLSID& clsid, void** factory);

// The library that last served `clsid`: its path (empty when an in-process registration
// did) and its handle (null when it could not be loaded), open until the process ends.
struct ServingLibrary {
    std::string path;
    void* handle = nullptr;
};
ServingLibrary LibraryServing(const CLSID& clsid);

}  // namespace tern::platform
