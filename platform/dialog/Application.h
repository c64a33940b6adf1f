// CWinApp: the application object the program's start-up hook belongs to. It brings up the
// window system for the process and names the application after its executable.
#pragma once

#include <memory>
#include <string>

namespace tern::platform {

class ApplicationState;  // the backend's

class CWinApp {
public:
    CWinApp(int& argc, char** argv);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The start-up hook; false: no message loop of the application's own follows.
    virtual bool InitInstance() { return false; }

    // The executable's file name without folder and extension.
    const std::string& AppName() const { return m_appName; }

private:
    std::string m_appName;
    std::unique_ptr<ApplicationState> m_state;
};

}  // namespace tern::platform
