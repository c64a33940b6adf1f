#include "platform/Terminal.h"

#include <unistd.h>

namespace tern::platform {

bool StandardOutputIsTerminal() {
    return isatty(STDOUT_FILENO) != 0;
}

}  // namespace tern::platform
