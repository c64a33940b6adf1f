// What tern-flash says when an update file does not load: the message the window would show,
// or, where the window only clears its status line, the reason.
#pragma once

#include <string>

#include "engine/SMF.h"

namespace tern::cli {

// For a reader whose LoadFile(path) just returned false.
std::string LoadFailureText(const CSMF& reader, const std::string& path);

}  // namespace tern::cli
