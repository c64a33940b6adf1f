// The string table.
#pragma once

#include <string>

namespace tern::res {

// The string with resource id `id`, or the empty string when there is none.
std::string LoadString(int id);

}  // namespace tern::res
