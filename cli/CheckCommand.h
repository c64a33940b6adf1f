// tern-flash check FILE: loads an update file as the dialog does and prints what it holds.
#pragma once

#include <ostream>
#include <string>

namespace tern::cli {

// Prints the header and track table to `out`, or the dialog's message for the failure to
// `err`. Returns the exit status.
int RunCheck(const std::string& path, std::ostream& out, std::ostream& err);

}  // namespace tern::cli
