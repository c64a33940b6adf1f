// What tern-flash says when the device-link root object cannot be created: the window's
// message, or the cause the system named where that message would point the wrong way; and,
// for a driver registered for the other bitness only, which program can load it.
#pragma once

#include <string>

#include "platform/ComTypes.h"

namespace tern::cli {

std::string RootFailureText(HRESULT result);

}  // namespace tern::cli
