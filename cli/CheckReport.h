// What tern-flash check found, shown as text or as JSON: the file's summary and the dry run
// once the file has loaded.
#pragma once

#include <optional>
#include <string>

#include "cli/CommandResult.h"
#include "engine/DryRun.h"
#include "engine/FileSummary.h"

namespace tern::cli {

struct CheckReport {
    CommandResult result;
    std::string path;
    std::optional<FileSummary> file;  // once the file has loaded
    std::optional<DryRunReport> dryRun;
};

}  // namespace tern::cli
