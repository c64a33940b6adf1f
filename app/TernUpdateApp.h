// CTernUpdateApp: the application object. Its start-up keeps the program to one instance,
// then runs the main update dialog once; when the dialog closes, the program ends.
#pragma once

#include "platform/dialog/Application.h"

class CTernUpdateApp : public tern::platform::CWinApp {
public:
    CTernUpdateApp(int& argc, char** argv);

    // Always false: there is no message loop of the application's own after the dialog.
    bool InitInstance() override;
};
