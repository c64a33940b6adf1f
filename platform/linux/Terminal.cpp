#include "platform/Terminal.h"

#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tern::platform {

bool StandardOutputIsTerminal() {
    return isatty(STDOUT_FILENO) != 0;
}

void IgnoreBrokenPipe() {
    signal(SIGPIPE, SIG_IGN);
}

bool StandardOutputReaderGone() {
    struct stat st {};
    if (fstat(STDOUT_FILENO, &st) != 0 || !(S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode))) {
        return false;
    }
    // A pipe or socket with no reader left reports an error condition to a poll for writing.
    pollfd out{STDOUT_FILENO, POLLOUT, 0};
    return poll(&out, 1, 0) == 1 && (out.revents & POLLERR) != 0;
}

void ShowUtf8OnConsole() {
    // A terminal shows the bytes in the user's locale, UTF-8 nowadays: nothing to convert.
}

void StopAsJobControlWould() {
    // SIGTSTP itself is held by the interrupt watcher, so the stop that cannot be held.
    kill(getpid(), SIGSTOP);
}

}  // namespace tern::platform
