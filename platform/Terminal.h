// Whether the program's standard output is a terminal (Linux) or a console (Windows), where
// a line can be redrawn in place, rather than a file or a pipe.
#pragma once

namespace tern::platform {

bool StandardOutputIsTerminal();

}  // namespace tern::platform
