#include "tests/support/Environment.h"

#include <stdlib.h>
#include <unistd.h>

namespace tern::test {

void SetEnv(const std::string& name, const std::string& value) {
    setenv(name.c_str(), value.c_str(), 1);
}

void UnsetEnv(const std::string& name) {
    unsetenv(name.c_str());
}

uint64_t ProcessId() {
    return static_cast<uint64_t>(getpid());
}

}  // namespace tern::test
