#include "platform/Terminal.h"

#include <signal.h>
#include <unistd.h>

namespace tern::platform {

bool StandardOutputIsTerminal() {
    return isatty(STDOUT_FILENO) != 0;
}

void IgnoreBrokenPipe() {
    signal(SIGPIPE, SIG_IGN);
}

void StopAsJobControlWould() {
    // SIGTSTP itself is held by the interrupt watcher, so the stop that cannot be held.
    kill(getpid(), SIGSTOP);
}

}  // namespace tern::platform
