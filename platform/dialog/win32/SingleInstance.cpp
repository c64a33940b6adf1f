// The single-instance rule on Win32: a named mutex in the session's namespace, owned from
// the first start until its process ends, and the running window found by its title.
#include "platform/dialog/SingleInstance.h"

#include <windows.h>

namespace tern::platform {

class SingleInstanceState {
public:
    std::string name;
    std::string problem;
};

SingleInstance::SingleInstance(const std::string& programName)
    : m_state(std::make_unique<SingleInstanceState>()) {
    m_state->name = programName;
}

// The mutex's handle is never closed: the system frees the name when the process ends, and
// not before, whatever becomes of this object.
SingleInstance::~SingleInstance() = default;

SingleInstance::Claim SingleInstance::ClaimName() {
    const HANDLE mutex = CreateMutexA(nullptr, TRUE, m_state->name.c_str());
    const DWORD error = GetLastError();
    if (!mutex) {
        m_state->problem = "the instance mutex \"" + m_state->name + "\" cannot be made (error " +
                           std::to_string(error) + ")";
        return Claim::Unavailable;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return Claim::Second;
    }
    return Claim::First;
}

const std::string& SingleInstance::Problem() const {
    return m_state->problem;
}

bool SingleInstance::AskToRaise(const std::string& windowTitle) {
    const HWND window = FindWindowA(nullptr, windowTitle.c_str());
    if (!window) {
        return false;
    }
    SetForegroundWindow(window);
    return true;
}

}  // namespace tern::platform
