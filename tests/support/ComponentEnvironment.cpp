#include "tests/support/ComponentEnvironment.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/ComRuntime.h"

namespace tern::test {

ComponentEnvironment::ComponentEnvironment(const std::string& componentPath) {
    std::string pattern = (std::filesystem::temp_directory_path() / "tern-sim-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        ADD_FAILURE() << "cannot create a temporary folder";
    }
    m_folder = pattern;
    setenv("TERN_COMPONENT_PATH",
           componentPath.empty() ? TERN_COMPONENT_DIR : componentPath.c_str(), 1);
    unsetenv("CORVO_SIM_SCENARIO");
    unsetenv("CORVO_SIM_CAPTURE");
    CoInitialize(nullptr);
}

ComponentEnvironment::~ComponentEnvironment() {
    CoUninitialize();
    unsetenv("CORVO_SIM_SCENARIO");
    unsetenv("CORVO_SIM_CAPTURE");
    unsetenv("TERN_COMPONENT_PATH");
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

void ComponentEnvironment::SetScenario(const std::string& text) {
    m_scenarioPath = m_folder + "/scenario.txt";
    std::ofstream(m_scenarioPath, std::ios::trunc) << text;
    setenv("CORVO_SIM_SCENARIO", m_scenarioPath.c_str(), 1);
}

std::string ComponentEnvironment::CaptureToFile() {
    const std::string path = m_folder + "/capture.txt";
    std::filesystem::remove(path);
    setenv("CORVO_SIM_CAPTURE", path.c_str(), 1);
    return path;
}

CorvoSimCounts SimulatorCounts() {
    CorvoSimCounts counts{-1, -1};
    // The same file the registry loads, so this is the same instance; kept loaded, as the
    // registry keeps it.
    static void* const handle =
        dlopen((std::string(TERN_COMPONENT_DIR) + "/corvo-sim.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        ADD_FAILURE() << "cannot load the simulator: " << dlerror();
        return counts;
    }
    if (auto get = reinterpret_cast<CorvoSimGetCountsFn>(dlsym(handle, kCorvoSimGetCountsName))) {
        get(&counts);
    } else {
        ADD_FAILURE() << "the simulator exports no counts";
    }
    return counts;
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
