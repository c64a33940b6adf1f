// The scenario file format of the simulated bus.
#include "components/corvo-sim/Scenario.h"

#include <gtest/gtest.h>

namespace corvo_sim {
namespace {

TEST(Scenario, EmptyTextKeepsTheDefaultBus) {
    Scenario s;
    std::string problem;
    ASSERT_TRUE(ParseScenario("# nothing but a comment\n\n   \n", s, problem)) << problem;
    ASSERT_EQ(s.nodes.size(), 1u);
    EXPECT_EQ(s.nodes[0].vendorId, 0x5A3Cu);
    EXPECT_EQ(s.nodes[0].modelId, 0x2E0107u);
    EXPECT_EQ(s.ports, (std::vector<uint32_t>{0x4D494449, 0x4649524D}));
    EXPECT_EQ(s.appearAt, 1u);
    EXPECT_EQ(s.writeFailsAt, 0u);
}

TEST(Scenario, EveryKeyIsRead) {
    Scenario s;
    std::string problem;
    ASSERT_TRUE(
        ParseScenario("nodes = 1234:2E0108, 0x5a3c:0x2e0107  # two nodes\n"
                      "ports = FIRM\n"
                      "ports.2 = \n"
                      "create_fails = 1\n"
                      "node_list_fails = 2\n"
                      "appear_at = 3\n"
                      "open_device_fails = 4\n"
                      "open_device_null = 5\n"
                      "port_list_fails = 6\n"
                      "open_port_fails = 7\n"
                      "open_port_null = 8\n"
                      "write_fails_at = 9\n"
                      "write_latency_us = 10\r\n",
                      s, problem))
        << problem;
    ASSERT_EQ(s.nodes.size(), 2u);
    EXPECT_EQ(s.nodes[0].vendorId, 0x1234u);
    EXPECT_EQ(s.nodes[0].modelId, 0x2E0108u);
    EXPECT_EQ(s.nodes[1].vendorId, 0x5A3Cu);
    EXPECT_EQ(s.PortsOf(0), (std::vector<uint32_t>{0x4649524D}));
    EXPECT_TRUE(s.PortsOf(1).empty());
    EXPECT_TRUE(s.createFails);
    const uint32_t counts[] = {s.nodeListFails,  s.appearAt,      s.openDeviceFails,
                               s.openDeviceNull, s.portListFails, s.openPortFails,
                               s.openPortNull,   s.writeFailsAt,  s.writeLatencyUs};
    for (uint32_t i = 0; i < 9; ++i) {
        EXPECT_EQ(counts[i], i + 2);
    }
}

TEST(Scenario, MistakesNameTheLineAndTheProblem) {
    struct Case {
        const char* text;
        const char* problem;
    };
    const Case cases[] = {
        {"colour = blue\n", "line 1: unknown key 'colour'"},
        {"\n# fine\nnodes 5A3C:2E0107\n", "line 3: expected 'key = value'"},
        {"appear_at = soon\n", "line 1: 'soon' is not a whole number"},
        {"write_fails_at = -1\n", "line 1: '-1' is not a whole number"},
        {"write_fails_at = 99999999999\n", "line 1: '99999999999' is not a whole number"},
        {"create_fails = yes\n", "line 1: create_fails must be 0 or 1"},
        {"nodes = 5A3C\n", "line 1: node '5A3C' is not vendor:model in hex"},
        {"nodes = 5A3C:XYZ\n", "line 1: node '5A3C:XYZ' is not vendor:model in hex"},
        {"ports = FIRMWARE\n", "line 1: port tag 'FIRMWARE' is not four characters"},
        {"ports = MIDI,,FIRM\n", "line 1: port tag '' is not four characters"},
        {"ports = FI\tM\n", "line 1: port tag 'FI\tM' is not printable ASCII"},
        {"appear_at = 2\nappear_at = 3\n", "line 2: key 'appear_at' is given twice"},
        {"ports.0 = FIRM\n", "line 1: unknown key 'ports.0'"},
        {"ports.3 = FIRM\n", "ports.3 names a node that is not listed (1 nodes)"},
    };
    for (const Case& c : cases) {
        Scenario s;
        std::string problem;
        EXPECT_FALSE(ParseScenario(c.text, s, problem)) << c.text;
        EXPECT_EQ(problem, c.problem) << c.text;
    }
}

}  // namespace
}  // namespace corvo_sim
