// The test process's environment and identity, the same on every platform.
#pragma once

#include <cstdint>
#include <string>

namespace tern::test {

// Seen by this process (its libraries and components included) and by children started later.
void SetEnv(const std::string& name, const std::string& value);
void UnsetEnv(const std::string& name);

uint64_t ProcessId();

}  // namespace tern::test
