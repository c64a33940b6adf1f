// The simulated bus's scenario: which nodes and ports it shows and which calls fail. Read
// from the `key = value` file named by CORVO_SIM_SCENARIO; `#` starts a comment.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace corvo_sim {

struct Scenario {
    struct Node {
        uint32_t vendorId;
        uint32_t modelId;
    };

    std::vector<Node> nodes = {{0x5A3C, 0x2E0107}};
    std::vector<uint32_t> ports = {0x4D494449, 0x4649524D};  // "MIDI", "FIRM"
    std::map<uint32_t, std::vector<uint32_t>> nodePorts;     // by node number, from 1
    bool createFails = false;
    uint32_t nodeListFails = 0;
    uint32_t appearAt = 1;
    uint32_t openDeviceFails = 0;
    uint32_t openDeviceNull = 0;
    uint32_t portListFails = 0;
    uint32_t openPortFails = 0;
    uint32_t openPortNull = 0;
    uint32_t writeFailsAt = 0;  // 0: never
    uint32_t writeLatencyUs = 0;

    const std::vector<uint32_t>& PortsOf(size_t nodeIndex) const;
};

// Parses a scenario file's text over the defaults. On a problem returns false and sets
// `problem` to "line N: what is wrong".
bool ParseScenario(std::string_view text, Scenario& scenario, std::string& problem);

}  // namespace corvo_sim
