// Where class objects come from: in-process registrations first, then the plug-in libraries
// of the component folders, each loaded once per process.
#pragma once

#include "platform/ComTypes.h"

namespace tern::platform {

// The class factory of `clsid` with one reference for the caller, or REGDB_E_CLASSNOTREG
// with *factory null when nothing serves the class.
HRESULT GetClassObject(const CLSID& clsid, void** factory);

}  // namespace tern::platform
