#include "app/TernUpdateApp.h"

#include <QString>

#include "app/AboutDlg.h"
#include "platform/ExecutableName.h"
#include "platform/qt/SingleInstance.h"
#include "res/Strings.h"
#include "res/resource.h"
#include "ui/TernUpdateDlg.h"

CTernUpdateApp::CTernUpdateApp(int& argc, char** argv) : QApplication(argc, argv) {}

bool CTernUpdateApp::InitInstance() {
    const std::string name = tern::platform::ExecutableBaseName();
    tern::platform::SingleInstance instance(name);
    if (!instance.Claim()) {
        // Another start of this program is running: bring its window forward and end
        // without a window of our own and without touching the device link.
        instance.AskToRaise(tern::res::LoadString(IDS_APP_TITLE));
        return false;
    }
    setApplicationName(QString::fromStdString(name));

    CTernUpdateDlg dlg;
    dlg.SetAboutBox([](QWidget* parent) {
        CAboutDlg about(parent);
        about.DoModal();
    });
    dlg.DoModal();
    return false;
}
