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

bool StandardOutputReaderGone() {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE || GetFileType(out) != FILE_TYPE_PIPE) {
        return false;
    }
    // Writing nothing still fails on a pipe whose reading end has been closed.
    DWORD written = 0;
    if (WriteFile(out, "", 0, &written, nullptr)) {
        return false;
    }
    const DWORD error = GetLastError();
    return error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE;
}

void StopAsJobControlWould() {
    // A console has no job control: there is nothing to stop as.
}

}  // namespace tern::platform
