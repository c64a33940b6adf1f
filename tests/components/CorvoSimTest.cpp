// The simulated bus, loaded as a plug-in and driven through the device-link interfaces.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "devlink/CorvoRoot.h"
#include "platform/ComRuntime.h"
#include "tests/support/ComponentEnvironment.h"
#include "tests/support/Environment.h"

namespace tern {
namespace {

class CorvoSim : public testing::Test {
protected:
    void SetUp() override { m_misusesBefore = test::SimulatorCounts().misuses; }

    void TearDown() override {
        Release(m_port);
        Release(m_device);
        Release(m_root);
        // Whatever a test did, everything it was handed is back, released exactly once.
        const CorvoSimCounts counts = test::SimulatorCounts();
        EXPECT_EQ(counts.liveObjects, 0);
        EXPECT_EQ(counts.misuses, m_misusesBefore + m_deliberateMisuses);
        EXPECT_EQ(platform::GetTaskMemoryStats().outstanding, 0u);
        EXPECT_EQ(platform::GetTaskMemoryStats().invalidFrees, 0u);
    }

    template <class T>
    static void Release(T*& object) {
        if (object) {
            object->Release();
            object = nullptr;
        }
    }

    HRESULT Create() { return CreateCorvoAsync(&m_root); }

    std::vector<NodeInfo> Nodes(HRESULT* result = nullptr) {
        NodeList list{99, nullptr};
        const HRESULT hr = m_root->GetNodeList(&list);
        if (result) {
            *result = hr;
        }
        std::vector<NodeInfo> nodes;
        if (SUCCEEDED(hr)) {
            nodes.assign(list.pNodes, list.pNodes + list.dwCount);
            CoTaskMemFree(list.pNodes);
        }
        return nodes;
    }

    std::vector<PortInfo> Ports(HRESULT* result = nullptr) {
        PortList list{99, nullptr};
        const HRESULT hr = m_device->GetPortList(&list);
        if (result) {
            *result = hr;
        }
        std::vector<PortInfo> ports;
        if (SUCCEEDED(hr)) {
            ports.assign(list.pPorts, list.pPorts + list.dwCount);
            CoTaskMemFree(list.pPorts);
        }
        return ports;
    }

    HRESULT OpenDevice(uint64_t nodeId) {
        Release(m_device);
        return m_root->OpenDevice(nodeId, &m_device);
    }

    HRESULT OpenPort(uint32_t portId) {
        Release(m_port);
        return m_device->OpenPort(portId, &m_port);
    }

    // The default way in: first node, then its "FIRM" port.
    void OpenFirmwarePort() {
        ASSERT_EQ(Create(), S_OK);
        const auto nodes = Nodes();
        ASSERT_FALSE(nodes.empty());
        ASSERT_EQ(OpenDevice(nodes[0].nNodeId), S_OK);
        for (const PortInfo& port : Ports()) {
            if (port.dwTag == kFirmwarePortTag) {
                ASSERT_EQ(OpenPort(port.dwPortId), S_OK);
            }
        }
        ASSERT_NE(m_port, nullptr);
    }

    test::ComponentEnvironment m_env;
    int64_t m_misusesBefore = 0;
    int64_t m_deliberateMisuses = 0;
    ICorvoAsync* m_root = nullptr;
    ICorvoDevice* m_device = nullptr;
    ICorvoPort* m_port = nullptr;
};

TEST_F(CorvoSim, TheDefaultBusShowsOneOstrelWithAMidiAndAFirmwarePort) {
    ASSERT_EQ(Create(), S_OK);
    const auto nodes = Nodes();
    ASSERT_EQ(nodes.size(), 1u);
    EXPECT_EQ(nodes[0].dwVendorId, kOstrelVendorId);
    EXPECT_EQ(nodes[0].dwModelId, kOstrelModelIds[0]);
    ASSERT_EQ(OpenDevice(nodes[0].nNodeId), S_OK);
    ASSERT_NE(m_device, nullptr);
    const auto ports = Ports();
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].dwTag, 0x4D494449u);  // "MIDI"
    EXPECT_EQ(ports[1].dwTag, kFirmwarePortTag);
    EXPECT_NE(ports[0].dwPortId, ports[1].dwPortId);
    ASSERT_EQ(OpenPort(ports[1].dwPortId), S_OK);
    const uint8_t bytes[] = {0xF0, 0x7E, 0xF7};
    EXPECT_GE(m_port->Write(0, 3, bytes, 3), 0);
    // Ids the bus never handed out are refused.
    EXPECT_LT(OpenPort(77), 0);
    EXPECT_EQ(m_port, nullptr);
    EXPECT_LT(OpenDevice(0x1234), 0);
    EXPECT_EQ(m_device, nullptr);
}

TEST_F(CorvoSim, NodesAndPortsFollowTheScenario) {
    m_env.SetScenario(
        "nodes = 1111:2E0107, 5A3C:2E0108, 5A3C:2E0107\n"
        "ports = FIRM, FIRM\n"
        "ports.2 = MIDI\n"
        "ports.3 =\n");
    ASSERT_EQ(Create(), S_OK);
    const auto nodes = Nodes();
    ASSERT_EQ(nodes.size(), 3u);
    const uint32_t expectedPorts[] = {2, 1, 0};
    for (size_t i = 0; i < nodes.size(); ++i) {
        ASSERT_EQ(OpenDevice(nodes[i].nNodeId), S_OK) << i;
        EXPECT_EQ(Ports().size(), expectedPorts[i]) << i;
    }
    EXPECT_EQ(nodes[0].dwVendorId, 0x1111u);
    EXPECT_EQ(nodes[1].dwModelId, 0x2E0108u);
}

TEST_F(CorvoSim, CreationFailsWhenTheScenarioSaysSo) {
    m_env.SetScenario("create_fails = 1\n");
    EXPECT_LT(Create(), 0);
    EXPECT_EQ(m_root, nullptr);
}

TEST_F(CorvoSim, ListingFailsForTheFirstCallsAndNodesAppearLater) {
    m_env.SetScenario("node_list_fails = 2\nappear_at = 4\n");
    ASSERT_EQ(Create(), S_OK);
    // Calls 1-2 fail, call 3 lists nothing, call 4 on list the node.
    const size_t expected[] = {0, 0, 0, 1, 1};
    for (size_t call = 0; call < 5; ++call) {
        HRESULT hr = S_OK;
        EXPECT_EQ(Nodes(&hr).size(), expected[call]) << "call " << call + 1;
        EXPECT_EQ(FAILED(hr), call < 2) << "call " << call + 1;
    }
}

TEST_F(CorvoSim, OpensFailThenHandOutNothingThenSucceed) {
    m_env.SetScenario(
        "open_device_fails = 1\nopen_device_null = 2\n"
        "port_list_fails = 1\nopen_port_fails = 2\nopen_port_null = 1\n");
    ASSERT_EQ(Create(), S_OK);
    const uint64_t node = Nodes().at(0).nNodeId;
    EXPECT_LT(OpenDevice(node), 0);
    EXPECT_EQ(OpenDevice(node), S_OK);
    EXPECT_EQ(m_device, nullptr);
    EXPECT_EQ(OpenDevice(node), S_OK);
    EXPECT_EQ(m_device, nullptr);
    ASSERT_EQ(OpenDevice(node), S_OK);
    ASSERT_NE(m_device, nullptr);

    HRESULT hr = S_OK;
    EXPECT_TRUE(Ports(&hr).empty());
    EXPECT_LT(hr, 0);
    const uint32_t firm = Ports().at(1).dwPortId;
    EXPECT_LT(OpenPort(firm), 0);
    EXPECT_LT(OpenPort(firm), 0);
    EXPECT_EQ(OpenPort(firm), S_OK);
    EXPECT_EQ(m_port, nullptr);
    EXPECT_EQ(OpenPort(firm), S_OK);
    EXPECT_NE(m_port, nullptr);
}

TEST_F(CorvoSim, EveryWriteIsCapturedAndFailuresStartAtTheirCall) {
    m_env.SetScenario("write_fails_at = 3\n");
    const std::string capture = m_env.CaptureToFile();
    OpenFirmwarePort();
    const auto before = std::chrono::steady_clock::now();
    const uint8_t bytes[] = {0xF0, 0x00, 0x5A, 0xAB, 0xF7};
    EXPECT_GE(m_port->Write(0, 5, bytes, 5), 0);
    EXPECT_GE(m_port->Write(0, 1, bytes, 1), 0);
    EXPECT_LT(m_port->Write(0, 2, bytes + 3, 2), 0);
    EXPECT_LT(m_port->Write(0, 1, bytes, 1), 0);  // and every later one
    const auto after = std::chrono::steady_clock::now();

    const auto lines = test::ReadLines(capture);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].substr(lines[0].find(' ')), " 5 f0005aabf7");
    EXPECT_EQ(lines[2].substr(lines[2].find(' ')), " 2! abf7");

    const auto writes = test::ReadCapture(capture);
    ASSERT_EQ(writes.size(), 4u);
    const struct {
        uint32_t count;
        bool failed;
        const char* hex;
    } expected[] = {{5, false, "f0005aabf7"}, {1, false, "f0"}, {2, true, "abf7"}, {1, true, "f0"}};
    const auto toUs = [](auto t) {
        return static_cast<uint64_t>(
            std::chrono::duration_cast<std::chrono::microseconds>(t.time_since_epoch()).count());
    };
    uint64_t previous = 0;
    for (size_t i = 0; i < writes.size(); ++i) {
        EXPECT_EQ(writes[i].count, expected[i].count) << i;
        EXPECT_EQ(writes[i].failed, expected[i].failed) << i;
        EXPECT_EQ(writes[i].hex, expected[i].hex) << i;
        // Stamped on the monotonic clock, the one steady_clock reads on Linux.
        EXPECT_GE(writes[i].timeUs, toUs(before));
        EXPECT_LE(writes[i].timeUs, toUs(after));
        EXPECT_GE(writes[i].timeUs, previous);
        previous = writes[i].timeUs;
    }
}

TEST_F(CorvoSim, MalformedWritesAreRefusedAndCaptured) {
    const std::string capture = m_env.CaptureToFile();
    OpenFirmwarePort();
    const uint8_t bytes[] = {0xF0, 0x01};
    EXPECT_LT(m_port->Write(0, 2, bytes, 1), 0);    // the two counts disagree
    EXPECT_LT(m_port->Write(0, 2, nullptr, 2), 0);  // no bytes
    const auto lines = test::ReadLines(capture);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find(" 2! f001"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find(" 2! "), std::string::npos) << lines[1];
}

TEST_F(CorvoSim, AWriteTakesTheScenariosLatency) {
    m_env.SetScenario("write_latency_us = 20000\n");
    OpenFirmwarePort();
    const uint8_t byte = 0xF0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_GE(m_port->Write(0, 1, &byte, 1), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::microseconds(20000));
}

TEST_F(CorvoSim, ObjectsAnswerCallsFromAThreadThatNeverInitialised) {
    OpenFirmwarePort();
    std::thread worker([this] {
        EXPECT_FALSE(platform::ComInitialisedOnThisThread());
        EXPECT_EQ(Nodes().size(), 1u);
        const uint8_t bytes[] = {0xF0, 0xF7};
        EXPECT_GE(m_port->Write(0, 2, bytes, 2), 0);
        EXPECT_EQ(Ports().size(), 2u);
    });
    worker.join();
}

TEST_F(CorvoSim, AReleaseTooManyIsCountedNotFatal) {
    OpenFirmwarePort();
    m_port->AddRef();
    EXPECT_EQ(m_port->Release(), 1u);
    EXPECT_EQ(test::SimulatorCounts().liveObjects, 3);  // root, device, port
    ICorvoPort* port = m_port;
    Release(m_port);
    EXPECT_EQ(test::SimulatorCounts().liveObjects, 2);
    EXPECT_EQ(port->Release(), 0u);
    EXPECT_EQ(port->AddRef(), 0u);
    EXPECT_EQ(test::SimulatorCounts().misuses, m_misusesBefore + 2);
    EXPECT_EQ(test::SimulatorCounts().liveObjects, 2);
    m_deliberateMisuses = 2;
}

TEST_F(CorvoSim, AMalformedScenarioFailsCreationWithOneLineNamingFileAndLine) {
    m_env.SetScenario("nodes = 5A3C:2E0107\nwrite_fails = 3\n");
    testing::internal::CaptureStderr();
    EXPECT_LT(Create(), 0);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "corvo-sim: " + m_env.ScenarioPath() + ": line 2: unknown key 'write_fails'\n");
    EXPECT_EQ(m_root, nullptr);

    test::SetEnv("CORVO_SIM_SCENARIO", "/nonexistent-tern-folder/scenario.txt");
    testing::internal::CaptureStderr();
    EXPECT_LT(Create(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "corvo-sim: /nonexistent-tern-folder/scenario.txt: cannot read the scenario file\n");
}

}  // namespace
}  // namespace tern
