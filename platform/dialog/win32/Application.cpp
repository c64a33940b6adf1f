// CWinApp on Win32: the system brings the window system up for every process; the
// application names itself after its executable.
#include "platform/dialog/Application.h"

#include "platform/ExecutableName.h"

namespace tern::platform {

class ApplicationState {};

CWinApp::CWinApp(int&, char**)
    : m_appName(ExecutableBaseName()), m_state(std::make_unique<ApplicationState>()) {}

CWinApp::~CWinApp() = default;

}  // namespace tern::platform
