// What discovery reported to tern-flash, kept for the JSON document: each attempt with the
// step value it ended with, the port it opened, and the final status and failure message.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tern::cli {

struct DiscoveryAttemptRecord {
    int number = 0;       // counted from 1
    int32_t status = 0;   // 0 when the port is open, else the step the attempt stopped at
    std::string meaning;  // as the attempt's line says it
};

struct DiscoveryRecord {
    std::vector<DiscoveryAttemptRecord> attempts;
    std::string outputPort;  // the open firmware port's tag; empty while none is open
    int32_t status = 0;      // the last status code discovery stored
    std::string failure;     // the failure message it showed, if any
};

}  // namespace tern::cli
