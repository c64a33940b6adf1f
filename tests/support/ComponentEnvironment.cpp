#include "tests/support/ComponentEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/ComRuntime.h"
#include "tests/support/Environment.h"
#include "tests/support/SimulatorLibrary.h"
#include "tests/support/TempDir.h"

namespace tern::test {

ComponentEnvironment::ComponentEnvironment(const std::string& componentPath)
    : m_folder(MakeTempFolder("tern-sim")) {
    UseComponentFolders(componentPath);
    UnsetEnv("CORVO_SIM_SCENARIO");
    UnsetEnv("CORVO_SIM_CAPTURE");
    CoInitialize(nullptr);
}

ComponentEnvironment::~ComponentEnvironment() {
    CoUninitialize();
    UnsetEnv("CORVO_SIM_SCENARIO");
    UnsetEnv("CORVO_SIM_CAPTURE");
    ForgetComponentFolders();
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

void ComponentEnvironment::SetScenario(const std::string& text) {
    m_scenarioPath = m_folder + "/scenario.txt";
    std::ofstream(m_scenarioPath, std::ios::trunc) << text;
    SetEnv("CORVO_SIM_SCENARIO", m_scenarioPath);
}

std::string ComponentEnvironment::CaptureToFile() {
    const std::string path = m_folder + "/capture.txt";
    std::filesystem::remove(path);
    SetEnv("CORVO_SIM_CAPTURE", path);
    return path;
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

}  // namespace tern::test

namespace tern::test {

std::vector<CapturedWrite> ReadCapture(const std::string& path) {
    std::vector<CapturedWrite> writes;
    for (const std::string& line : ReadLines(path)) {
        CapturedWrite w{};
        std::istringstream in(line);
        std::string count;
        in >> w.timeUs >> count;
        w.failed = !count.empty() && count.back() == '!';
        if (w.failed) {
            count.pop_back();
        }
        const bool digits =
            !count.empty() && count.find_first_not_of("0123456789") == std::string::npos;
        // The hex field is empty only when nothing could be shown.
        if (line.size() > 0 && line.back() != ' ') {
            in >> w.hex;
        }
        if (!in.fail() && digits &&
            w.hex.find_first_not_of("0123456789abcdef") == std::string::npos) {
            w.count = static_cast<uint32_t>(std::stoul(count));
            writes.push_back(w);
        } else {
            ADD_FAILURE() << "capture line of the wrong shape: '" << line << "'";
        }
    }
    return writes;
}

}  // namespace tern::test
