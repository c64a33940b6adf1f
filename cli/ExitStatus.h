// Exit statuses of tern-flash, for scripts.
#pragma once

namespace tern::cli {

enum ExitStatus : int {
    kExitSuccess = 0,
    kExitUsage = 1,
    kExitDeviceLink = 2,  // the device link or discovery failed, or another install runs
    kExitFile = 3,        // the update file did not load
    kExitTransfer = 4,    // the transfer failed (for check: would fail)
    kExitResources = 5,   // a limit of the system (CPU time, memory) cannot cover the transfer;
                          // nothing was written
    // The command did its work, but its standard output could not be written (a full disk,
    // /dev/full): a script must not take the missing document or text for the result.
    kExitOutput = 6,
    // An install ended by a signal before its transfer began exits with 128 + the signal's
    // number, as a shell reports a program the signal ended: 130 for Ctrl+C, 143 for SIGTERM.
    kExitSignalBase = 128,
};

}  // namespace tern::cli
