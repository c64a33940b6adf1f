// What tern-flash says when an update file does not load, or loads and is refused: the
// message the window would show, and the reason where the window gives none.
#pragma once

#include <string>

#include "engine/Preflight.h"
#include "engine/SMF.h"

namespace tern::cli {

// For a reader whose LoadFile(path) just returned false.
std::string LoadFailureText(const CSMF& reader, const std::string& path);

// For a file that loaded and that the verdict refuses, in one line: the window's format error
// and the reason.
std::string RefusalText(const PreflightVerdict& verdict);

}  // namespace tern::cli
