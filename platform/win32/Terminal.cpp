#include "platform/Terminal.h"

#include <windows.h>

namespace tern::platform {

bool StandardOutputIsTerminal() {
    // Only a console has a console mode; a file or a pipe refuses the call.
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

}  // namespace tern::platform
