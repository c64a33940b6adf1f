// What tern-flash install did, shown as text while it runs and as JSON once it has ended:
// discovery, the file and its dry run, and the transfer's outcome and timing. Each part is
// empty when the run ended before it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/CommandResult.h"
#include "cli/DiscoveryRecord.h"
#include "engine/DryRun.h"
#include "engine/FileSummary.h"
#include "engine/ScheduleKept.h"
#include "platform/ComponentIdentity.h"
#include "session/InstallSession.h"

namespace tern::cli {

struct TransferTiming {
    uint32_t scheduledMs = 0;  // the dry run's duration: when the last wait is due to end
    bool scheduledExact = true;
    uint32_t elapsedMs = 0;  // from the play's start to its return, on the system's clock
};

struct TransferRecord {
    int32_t status = 0;   // the status code the window stores: rebooting or a failure code
    std::string message;  // the window's text for it
    TransferTiming timing;
    ScheduleKept schedule;  // how closely the writes kept their due times
};

struct InstallReport {
    CommandResult result;
    std::string path;
    std::optional<DiscoveryRecord> discovery;               // once the install lock was taken
    std::optional<platform::ComponentIdentity> deviceLink;  // once discovery found a component
    std::optional<FileSummary> file;                        // once the file has loaded
    std::optional<InstallSession::CpuTimeCheck> cpuTime;    // once the limit was looked at
    std::optional<DryRunReport> plan;
    std::optional<TransferRecord> transfer;  // once the transfer has run
    std::vector<std::string> warnings;       // what was said on the error stream, short of failing
};

}  // namespace tern::cli
