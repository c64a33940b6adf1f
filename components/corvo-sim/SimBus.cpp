#include "SimBus.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/ComRuntime.h"

namespace corvo_sim {
namespace {

constexpr char kScenarioVariable[] = "CORVO_SIM_SCENARIO";
constexpr char kCaptureVariable[] = "CORVO_SIM_CAPTURE";
constexpr uint64_t kNodeIdBase = 0x0001F20000000000ull;  // ids look like bus unique ids

SimBus::OpenOutcome Outcome(uint32_t call, uint32_t fails, uint32_t nulls) {
    // The failing calls come first, then those that hand out no object.
    if (call <= fails) {
        return SimBus::OpenOutcome::Fail;
    }
    if (call - fails <= nulls) {
        return SimBus::OpenOutcome::Null;
    }
    return SimBus::OpenOutcome::Open;
}

template <class Entry>
Entry* AllocateEntries(size_t count) {
    if (count == 0) {
        return nullptr;
    }
    void* block = CoTaskMemAlloc(count * sizeof(Entry));
    if (block) {
        std::memset(block, 0, count * sizeof(Entry));
    }
    return static_cast<Entry*>(block);
}

}  // namespace

std::shared_ptr<SimBus> SimBus::FromEnvironment(std::string& problem) {
    Scenario scenario;
    const char* scenarioPath = std::getenv(kScenarioVariable);
    if (scenarioPath && *scenarioPath) {
        std::ifstream in(scenarioPath, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        if (!in) {
            problem = std::string(scenarioPath) + ": cannot read the scenario file";
            return nullptr;
        }
        std::string what;
        if (!ParseScenario(text.str(), scenario, what)) {
            problem = std::string(scenarioPath) + ": " + what;
            return nullptr;
        }
    }
    auto bus = std::make_shared<SimBus>(std::move(scenario));
    const char* capturePath = std::getenv(kCaptureVariable);
    if (capturePath && *capturePath && !bus->OpenCapture(capturePath, problem)) {
        return nullptr;
    }
    return bus;
}

bool SimBus::OpenCapture(const std::string& path, std::string& problem) {
    return m_capture.Open(path, problem);
}

uint64_t SimBus::NodeIdOf(size_t index) {
    return kNodeIdBase + index + 1;
}

int SimBus::NodeIndexOf(uint64_t nodeId) const {
    for (size_t i = 0; i < m_scenario.nodes.size(); ++i) {
        if (NodeIdOf(i) == nodeId) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

HRESULT SimBus::GetNodeList(NodeList* list) {
    if (!list) {
        return E_POINTER;
    }
    std::lock_guard lock(m_mutex);
    const uint32_t call = ++m_nodeListCalls;
    if (call <= m_scenario.nodeListFails) {
        return E_FAIL;
    }
    const bool present = call >= m_scenario.appearAt;
    const size_t count = present ? m_scenario.nodes.size() : 0;
    NodeInfo* nodes = AllocateEntries<NodeInfo>(count);
    if (count > 0 && !nodes) {
        return E_OUTOFMEMORY;
    }
    for (size_t i = 0; i < count; ++i) {
        nodes[i].nNodeId = NodeIdOf(i);
        nodes[i].dwVendorId = m_scenario.nodes[i].vendorId;
        nodes[i].dwModelId = m_scenario.nodes[i].modelId;
    }
    list->dwCount = static_cast<uint32_t>(count);
    list->pNodes = nodes;
    return S_OK;
}

std::optional<HRESULT> SimBus::AnswerWithoutObject(OpenOutcome outcome) {
    switch (outcome) {
        case OpenOutcome::Fail:
            return E_FAIL;
        case OpenOutcome::Null:
            return S_OK;
        case OpenOutcome::Open:
            break;
    }
    return std::nullopt;
}

SimBus::OpenOutcome SimBus::NextOpenDevice() {
    std::lock_guard lock(m_mutex);
    return Outcome(++m_openDeviceCalls, m_scenario.openDeviceFails, m_scenario.openDeviceNull);
}

SimBus::OpenOutcome SimBus::NextOpenPort() {
    std::lock_guard lock(m_mutex);
    return Outcome(++m_openPortCalls, m_scenario.openPortFails, m_scenario.openPortNull);
}

HRESULT SimBus::GetPortList(size_t nodeIndex, PortList* list) {
    if (!list) {
        return E_POINTER;
    }
    std::lock_guard lock(m_mutex);
    if (++m_portListCalls <= m_scenario.portListFails) {
        return E_FAIL;
    }
    const auto& tags = m_scenario.PortsOf(nodeIndex);
    PortInfo* ports = AllocateEntries<PortInfo>(tags.size());
    if (!tags.empty() && !ports) {
        return E_OUTOFMEMORY;
    }
    for (size_t i = 0; i < tags.size(); ++i) {
        ports[i].dwPortId = static_cast<uint32_t>(i + 1);
        ports[i].dwTag = tags[i];
    }
    list->dwCount = static_cast<uint32_t>(tags.size());
    list->pPorts = ports;
    return S_OK;
}

HRESULT SimBus::Write(uint32_t /*flags*/, uint32_t count, const uint8_t* bytes,
                      uint32_t countAgain) {
    const uint64_t entered = MonotonicMicroseconds();
    uint32_t latency;
    HRESULT result = S_OK;
    {
        std::lock_guard lock(m_mutex);
        const uint32_t call = ++m_writeCalls;
        const bool scheduledFailure =
            m_scenario.writeFailsAt != 0 && call >= m_scenario.writeFailsAt;
        if ((count > 0 && !bytes) || countAgain != count) {
            result = E_INVALIDARG;
        } else if (scheduledFailure) {
            result = E_FAIL;
        }
        m_capture.Record(entered, count, FAILED(result), bytes, bytes ? count : 0);
        latency = m_scenario.writeLatencyUs;
    }
    if (latency > 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(latency));
    }
    return result;
}

}  // namespace corvo_sim
