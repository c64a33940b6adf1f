// tern-flash list against the simulated bus: what it shows of each scenario, its exit status,
// and that it gives back every object and list it took.
#include "cli/ListCommand.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/ExitStatus.h"
#include "devlink/Handles.h"
#include "platform/ComRuntime.h"
#include "tests/support/ComponentEnvironment.h"

namespace tern::cli {
namespace {

// The ports marked as the firmware port, as "node N port P" lines: from the text listing,
// and from the document.
std::string FirmwarePorts(const std::string& listing) {
    std::istringstream lines(listing);
    std::string line, node, marked;
    while (std::getline(lines, line)) {
        if (line.starts_with("node ")) {
            node = line.substr(0, line.find(':'));
        } else if (line.ends_with(", firmware port")) {
            marked += node + line.substr(1, line.find(':') - 1) + '\n';
        }
    }
    return marked;
}

std::string FirmwarePorts(const nlohmann::json& doc) {
    std::string marked;
    for (const auto& node : doc["nodes"]) {
        for (const auto& port : node["ports"]) {
            if (port["firmware_port"] == true) {
                marked += "node " + node["node"].dump() + " port " + port["id"].dump() + '\n';
            }
        }
    }
    return marked;
}

TEST(ListCommand, ShowsNodesOstrelsAndTheirPortsOrTheSystemsMessage) {
    struct Case {
        const char* scenario;
        int status;
        std::string out;
        std::string err;
    };
    const std::string firstNode = "node 1: id 0x0001F20000000001, vendor ";
    const Case cases[] = {
        {"", kExitSuccess,
         "1 node on the bus, 1 Ostrel\n" + firstNode +
             "0x5A3C, model 0x2E0107, Ostrel\n"
             "  port 1: MIDI (0x4D494449)\n"
             "  port 2: FIRM (0x4649524D), firmware port\n",
         ""},
        // Another vendor, another model, then an Ostrel with two firmware ports (the first is
        // the one discovery opens), and one with no ports at all.
        {"nodes = 1111:2E0107, 5A3C:2E0109, 5A3C:2E0108, 5A3C:2E0107\n"
         "ports.3 = FIRM, FIRM\nports.4 = \n",
         kExitSuccess,
         "4 nodes on the bus, 2 Ostrels\n" + firstNode +
             "0x1111, model 0x2E0107, not an Ostrel\n"
             "node 2: id 0x0001F20000000002, vendor 0x5A3C, model 0x2E0109, not an Ostrel\n"
             "node 3: id 0x0001F20000000003, vendor 0x5A3C, model 0x2E0108, Ostrel\n"
             "  port 1: FIRM (0x4649524D), firmware port\n"
             "  port 2: FIRM (0x4649524D)\n"
             "node 4: id 0x0001F20000000004, vendor 0x5A3C, model 0x2E0107, Ostrel\n"
             "  no ports\n",
         ""},
        // Discovery takes the first Ostrel in list order and looks no further, even when that
        // one has no firmware port: no later Ostrel's port is the firmware port.
        {"nodes = 5A3C:2E0107, 5A3C:2E0108\nports.2 = FIRM\n", kExitSuccess,
         "2 nodes on the bus, 2 Ostrels\n" + firstNode +
             "0x5A3C, model 0x2E0107, Ostrel\n"
             "  port 1: MIDI (0x4D494449)\n"
             "  port 2: FIRM (0x4649524D), firmware port\n"
             "node 2: id 0x0001F20000000002, vendor 0x5A3C, model 0x2E0108, Ostrel\n"
             "  port 1: FIRM (0x4649524D)\n",
         ""},
        {"nodes = 5A3C:2E0107, 5A3C:2E0108\nports.1 = MIDI\n", kExitSuccess,
         "2 nodes on the bus, 2 Ostrels\n" + firstNode +
             "0x5A3C, model 0x2E0107, Ostrel\n"
             "  port 1: MIDI (0x4D494449)\n"
             "node 2: id 0x0001F20000000002, vendor 0x5A3C, model 0x2E0108, Ostrel\n"
             "  port 1: MIDI (0x4D494449)\n"
             "  port 2: FIRM (0x4649524D)\n",
         ""},
        {"nodes =\n", kExitSuccess, "0 nodes on the bus, 0 Ostrels\n", ""},
        {"create_fails = 1\n", kExitDeviceLink, "", "Can not get FW interface!!\n"},
        {"node_list_fails = 1\n", kExitDeviceLink, "", "Can not get FW device information!!\n"},
        {"open_device_fails = 1\n", kExitDeviceLink,
         "1 node on the bus, 1 Ostrel\n" + firstNode + "0x5A3C, model 0x2E0107, Ostrel\n",
         "Can not open FW device!! (node 0x0001F20000000001)\n"},
        {"open_device_null = 1\n", kExitDeviceLink,
         "1 node on the bus, 1 Ostrel\n" + firstNode + "0x5A3C, model 0x2E0107, Ostrel\n",
         "Can not open FW device!! (node 0x0001F20000000001)\n"},
        {"port_list_fails = 1\n", kExitDeviceLink,
         "1 node on the bus, 1 Ostrel\n" + firstNode + "0x5A3C, model 0x2E0107, Ostrel\n",
         "Can not get FW port information!! (node 0x0001F20000000001)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scenario);
        test::ComponentEnvironment env;
        env.SetScenario(c.scenario);
        std::ostringstream out, err;
        EXPECT_EQ(RunList(out, err), c.status);
        // Once the root object exists, the first line names the simulator's library as the
        // simulated bus; the rest is the listing.
        std::string listing = out.str();
        if (c.status == kExitSuccess || !c.out.empty() ||
            c.err.find("information") != std::string::npos) {
            const size_t end = listing.find('\n');
            ASSERT_NE(end, std::string::npos) << listing;
            const std::string link = listing.substr(0, end);
            EXPECT_EQ(link.rfind("Device link: ", 0), 0u) << link;
            EXPECT_NE(link.find("corvo-sim."), std::string::npos) << link;
            EXPECT_NE(link.find("(the simulated bus: nothing reaches a real Ostrel)"),
                      std::string::npos)
                << link;
            listing.erase(0, end + 1);
        }
        EXPECT_EQ(listing, c.out);
        EXPECT_EQ(err.str(), c.err);
        // The document marks the ports the text marks (a fresh bus: the failures recur).
        std::ostringstream json, jsonErr;
        EXPECT_EQ(RunList(json, jsonErr, OutputFormat::Json), c.status);
        EXPECT_EQ(FirmwarePorts(nlohmann::json::parse(json.str())), FirmwarePorts(c.out));
        EXPECT_EQ(g_pCorvoAsync, nullptr);
        EXPECT_EQ(test::SimulatorCounts().liveObjects, 0);
        EXPECT_EQ(test::SimulatorCounts().misuses, 0);
        EXPECT_EQ(platform::GetTaskMemoryStats().outstanding, 0u);
        // The environment's own initialisation is left, and no more: undoing it ends the
        // runtime on this thread.
        EXPECT_TRUE(platform::ComInitialisedOnThisThread());
        CoUninitialize();
        EXPECT_FALSE(platform::ComInitialisedOnThisThread());
        CoInitialize(nullptr);  // for the environment to undo
    }
}

}  // namespace
}  // namespace tern::cli
