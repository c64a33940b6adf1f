#include "tests/support/Environment.h"

#include <windows.h>

#include <cstdlib>

namespace tern::test {

// Through the C runtime, which every library of the process shares (msvcrt) and which also
// updates the process's environment block that children inherit.
// _putenv copies its argument.
void SetEnv(const std::string& name, const std::string& value) {
    _putenv((name + "=" + value).c_str());
}

void UnsetEnv(const std::string& name) {
    _putenv((name + "=").c_str());  // an empty value removes the variable
}

uint64_t ProcessId() {
    return GetCurrentProcessId();
}

}  // namespace tern::test
