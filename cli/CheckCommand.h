// tern-flash check FILE: loads an update file as the dialog does, prints what it holds, and
// plays it dry to tell what an installation would send and how it would end.
#pragma once

#include <ostream>
#include <string>

namespace tern::cli {

// Prints the header, the track table and the dry run to `out`, or the dialog's message for a
// load failure to `err`. Returns the exit status: success, file failure, or transfer failure
// when the dry run predicts one.
int RunCheck(const std::string& path, std::ostream& out, std::ostream& err);

}  // namespace tern::cli
