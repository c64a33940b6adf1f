// How a command reports its results: as text for a person, or as one JSON document for a
// script. Errors go to the error stream as text either way.
#pragma once

namespace tern::cli {

enum class OutputFormat { Text, Json };

}  // namespace tern::cli
