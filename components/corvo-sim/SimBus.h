// The state of one simulated bus: its scenario, how often each operation has been called,
// and the write capture. Shared by the root object and every device and port opened from
// it; safe to call from any thread.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "Capture.h"
#include "Scenario.h"
#include "devlink/CorvoInterfaces.h"

namespace corvo_sim {

class SimBus {
public:
    // Reads CORVO_SIM_SCENARIO and CORVO_SIM_CAPTURE. On a problem returns null and sets
    // `problem` to one line naming the file and what is wrong.
    static std::shared_ptr<SimBus> FromEnvironment(std::string& problem);

    explicit SimBus(Scenario scenario) : m_scenario(std::move(scenario)) {}

    const Scenario& scenario() const { return m_scenario; }
    bool OpenCapture(const std::string& path, std::string& problem);

    HRESULT GetNodeList(NodeList* list);

    // What the next Open call answers: a failure, a success with no object, or an object.
    enum class OpenOutcome { Fail, Null, Open };
    // The answer of an Open call that fails or hands out nothing; empty when it goes on.
    static std::optional<HRESULT> AnswerWithoutObject(OpenOutcome outcome);
    OpenOutcome NextOpenDevice();
    OpenOutcome NextOpenPort();

    // The node index of `nodeId`, or -1 when no node has it.
    int NodeIndexOf(uint64_t nodeId) const;
    static uint64_t NodeIdOf(size_t index);

    HRESULT GetPortList(size_t nodeIndex, PortList* list);
    HRESULT Write(uint32_t flags, uint32_t count, const uint8_t* bytes, uint32_t countAgain);

private:
    const Scenario m_scenario;
    std::mutex m_mutex;
    uint32_t m_nodeListCalls = 0;
    uint32_t m_openDeviceCalls = 0;
    uint32_t m_portListCalls = 0;
    uint32_t m_openPortCalls = 0;
    uint32_t m_writeCalls = 0;
    Capture m_capture;
};

}  // namespace corvo_sim
