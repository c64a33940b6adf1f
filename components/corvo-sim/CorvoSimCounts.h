// What the simulated bus exports for tests besides its class object: counts that show
// whether every object it handed out was released exactly once.
#pragma once

#include <cstdint>

struct CorvoSimCounts {
    int64_t liveObjects;  // created and not yet released to zero
    int64_t misuses;      // AddRef or Release on an object already released to zero
};

// Exported with C linkage under this name.
using CorvoSimGetCountsFn = void (*)(CorvoSimCounts* counts);
inline constexpr char kCorvoSimGetCountsName[] = "CorvoSimGetCounts";
