// Exit statuses of tern-flash, for scripts.
#pragma once

namespace tern::cli {

enum ExitStatus : int {
    kExitSuccess = 0,
    kExitUsage = 1,
    kExitDeviceLink = 2,  // the device link or discovery failed
    kExitFile = 3,        // the update file did not load
    kExitTransfer = 4,    // the transfer failed (for check: would fail)
};

}  // namespace tern::cli
