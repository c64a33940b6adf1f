#include "platform/Terminal.h"

#include <windows.h>

namespace tern::platform {

bool StandardOutputIsTerminal() {
    // Only a console has a console mode; a file or a pipe refuses the call.
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

void IgnoreBrokenPipe() {
    // A write to a closed pipe fails here already; no signal ends the process.
}

void StopAsJobControlWould() {
    // A console has no job control: there is nothing to stop as.
}

}  // namespace tern::platform
