// The JSON documents of tern-flash --json, built from the same reports the text output is
// printed from. Each is one document, indented by two spaces, ending with a newline. Every
// document starts with "command", "ok", "exit_status" and "error" (null, or the exit status
// and the message printed on the error stream); a part the command did not reach is null.
#pragma once

#include <string>

#include "cli/BusListing.h"
#include "cli/CheckReport.h"
#include "cli/InstallReport.h"

namespace tern::cli {

std::string ListDocument(const BusListing& listing);
std::string CheckDocument(const CheckReport& report);
std::string InstallDocument(const InstallReport& report);

// The document of a usage error: the exit status and the parser's message. `command` is the
// command the line named, or null when it named none.
std::string UsageDocument(const char* command, const std::string& message);

}  // namespace tern::cli
