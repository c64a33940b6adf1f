// The string table.
#pragma once

#include <string>

// The system's headers may name LoadString as a macro: every unit must see the same name.
#include "platform/dialog/Window.h"

namespace tern::res {

// The string with resource id `id`, or the empty string when there is none.
std::string LoadString(int id);

}  // namespace tern::res
