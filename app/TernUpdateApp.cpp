#include "app/TernUpdateApp.h"

#include <cstdio>

#include "app/AboutDlg.h"
#include "app/SessionSignals.h"
#include "platform/dialog/SingleInstance.h"
#include "res/Strings.h"
#include "res/resource.h"
#include "ui/TernUpdateDlg.h"

CTernUpdateApp::CTernUpdateApp(int& argc, char** argv) : CWinApp(argc, argv) {}

bool CTernUpdateApp::InitInstance() {
    tern::platform::SingleInstance instance(AppName());
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
    CTernUpdateDlg dlg;
    dlg.SetAboutBox([](tern::platform::CDialog* parent) {
        CAboutDlg about(parent);
        about.DoModal();
    });
    const CSessionSignals::Attachment refusesDuringARun(dlg);
    dlg.DoModal();
    return false;
}
