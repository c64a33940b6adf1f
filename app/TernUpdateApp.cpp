#include "app/TernUpdateApp.h"

#include <QString>
#include <cstdio>

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
    switch (instance.ClaimName()) {
        case tern::platform::SingleInstance::Claim::Second:
            // Another start of this program is running: bring its window forward and end
            // without a window of our own and without touching the device link.
            instance.AskToRaise(tern::res::LoadString(IDS_APP_TITLE));
            return false;
        case tern::platform::SingleInstance::Claim::Unavailable:
            // Nobody else may keep this user from the program: without a private place for the
            // rule, it runs without it.
            std::fprintf(stderr, "tern-update: running without the single-instance rule: %s\n",
                         instance.Problem().c_str());
            break;
        case tern::platform::SingleInstance::Claim::First:
            if (!instance.Problem().empty()) {
                std::fprintf(stderr, "tern-update: a later start cannot reach this one: %s\n",
                             instance.Problem().c_str());
            }
            break;
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
