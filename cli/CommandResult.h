// How a command ended, as its exit status and the error text it printed; what the text output
// says on the error stream, the JSON document repeats.
#pragma once

#include <string>
#include <utility>

#include "cli/ExitStatus.h"

namespace tern::cli {

struct CommandResult {
    int exitStatus = kExitSuccess;
    std::string error;  // the first failure's message; empty on success

    bool Ok() const { return exitStatus == kExitSuccess; }
    // The first failure decides the exit status; later ones are printed but change nothing.
    void Fail(int status, std::string message) {
        if (Ok()) {
            exitStatus = status;
            error = std::move(message);
        }
    }
};

}  // namespace tern::cli
