// How the test process reaches the simulator library, which differs by platform: on Linux the
// stand-in runtime loads it from the folders in TERN_COMPONENT_PATH; on Windows the system's
// runtime loads it from the path registered for its class (the test run registers the build's
// library). SimulatorCounts (ComponentEnvironment.h) reads the counts of that same library.
#pragma once

#include <string>

namespace tern::test {

// `folders` as TERN_COMPONENT_PATH; empty: the build's component folder. Windows finds the
// simulator through the registry only, so it takes no folders.
void UseComponentFolders(const std::string& folders);
void ForgetComponentFolders();

}  // namespace tern::test
