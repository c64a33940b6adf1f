// Creation of the device-link root object.
#pragma once

#include "devlink/CorvoInterfaces.h"

// Creates the component's root object in-process and converts it to ICorvoAsync. On success
// *root holds the object with one reference for the caller; on failure *root is null and the
// result is negative (an object that is not an ICorvoAsync has been released, where the
// platform can tell: see InterfaceCast in platform/ComRuntime.h).
HRESULT CreateCorvoAsync(ICorvoAsync** root);
