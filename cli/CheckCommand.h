// tern-flash check FILE: loads an update file as the dialog does, prints what it holds, and
// plays it dry to tell what an installation would send and how it would end.
#pragma once

#include <ostream>
#include <string>

#include "cli/CheckReport.h"
#include "cli/OutputFormat.h"

namespace tern::cli {

// Loads `path` into a player of its own and plays it dry.
CheckReport CheckFile(const std::string& path);

// Prints the header, the track table and the dry run to `out`, as text or as one JSON
// document, and the dialog's message for a load failure to `err` either way. Returns the
// exit status: success, file failure, or transfer failure when the dry run predicts one.
int RunCheck(const std::string& path, std::ostream& out, std::ostream& err,
             OutputFormat format = OutputFormat::Text);

}  // namespace tern::cli
