// The running program's file name without folder and extension: the application's name, as
// message box captions and the single-instance rule use it.
#pragma once

#include <string>

namespace tern::platform {

std::string ExecutableBaseName();

}  // namespace tern::platform
