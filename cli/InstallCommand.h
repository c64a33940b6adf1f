// tern-flash install FILE: the window's installation from a terminal. Takes the machine's
// install lock, finds the Ostrel with the discovery worker, loads the file, plays it dry for
// the schedule, then plays it into the firmware port on a thread at the highest priority,
// draws the progress on the calling thread from what the play thread leaves in a slot, and
// reports the outcome with the window's texts. What it did comes back as a report, for the
// JSON document.
#pragma once

#include <optional>
#include <string>

#include "cli/Console.h"
#include "cli/InstallReport.h"
#include "cli/InterruptGate.h"
#include "cli/TerminalProgress.h"
#include "platform/Sha256.h"

namespace tern::cli {

// Ends with the exit status: success; device link failure (also while another install holds
// the lock); file failure; transfer failure; resources (the processor-time limit cannot cover
// the transfer); or 128 + the signal that `interrupts` received before the transfer began, or
// held during it. Initialises the component runtime on the calling thread and
// releases every device-link handle before it returns. With `expectedSha256`, the file is
// loaded first and refused as a file failure, before the lock is taken or the bus is looked
// at, unless its loaded image has that digest.
InstallReport RunInstall(const std::string& path, Console& console, InterruptGate& interrupts,
                         TerminalProgress::Style progressStyle,
                         const std::optional<platform::Sha256Digest>& expectedSha256 = {});

}  // namespace tern::cli
