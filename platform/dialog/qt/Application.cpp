// CWinApp on Qt: the process's QApplication, named after the executable.
#include "platform/dialog/Application.h"

#include <QApplication>
#include <QString>

#include "platform/ExecutableName.h"

namespace tern::platform {

class ApplicationState {
public:
    ApplicationState(int& argc, char** argv) : app(argc, argv) {}
    QApplication app;
};

CWinApp::CWinApp(int& argc, char** argv)
    : m_appName(ExecutableBaseName()), m_state(std::make_unique<ApplicationState>(argc, argv)) {
    QApplication::setApplicationName(QString::fromStdString(m_appName));
}

CWinApp::~CWinApp() = default;

}  // namespace tern::platform
