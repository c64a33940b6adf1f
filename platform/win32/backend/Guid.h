// GUID, CLSID and IID are the system's, with its comparison operators.
#pragma once

#include <guiddef.h>
