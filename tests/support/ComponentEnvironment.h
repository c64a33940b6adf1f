// Sets the process up to create the simulated bus: the component folders, the scenario and
// capture variables, and the runtime initialised on this thread. Restores all on destruction.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "components/corvo-sim/CorvoSimCounts.h"

namespace tern::test {

class ComponentEnvironment {
public:
    // `componentPath` as TERN_COMPONENT_PATH; empty: the build's component folder.
    explicit ComponentEnvironment(const std::string& componentPath = "");
    ~ComponentEnvironment();
    ComponentEnvironment(const ComponentEnvironment&) = delete;
    ComponentEnvironment& operator=(const ComponentEnvironment&) = delete;

    // Writes `text` to a scenario file and names it in CORVO_SIM_SCENARIO.
    void SetScenario(const std::string& text);
    // Names a fresh capture file in CORVO_SIM_CAPTURE and returns its path.
    std::string CaptureToFile();
    const std::string& ScenarioPath() const { return m_scenarioPath; }

private:
    std::string m_folder;
    std::string m_scenarioPath;
};

// The simulator's live-object counts.
CorvoSimCounts SimulatorCounts();

// The capture file's lines.
std::vector<std::string> ReadLines(const std::string& path);

// One capture line "<t_us> <n>[!] <hex>", taken apart; a line of any other shape is a test
// failure.
struct CapturedWrite {
    uint64_t timeUs;
    uint32_t count;
    bool failed;
    std::string hex;
};
std::vector<CapturedWrite> ReadCapture(const std::string& path);

}  // namespace tern::test
