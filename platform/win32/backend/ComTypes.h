// The component object model on Windows is the system's own: HRESULT, IUnknown,
// IClassFactory, the results and the calling convention come from the Windows headers.
#pragma once

#include <objbase.h>
#include <unknwn.h>

#include "platform/Guid.h"
