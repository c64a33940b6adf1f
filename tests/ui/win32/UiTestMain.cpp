// The dialog tests on Win32: real windows on the display Wine draws on, each test's install
// lock a name of its own so that runs side by side never meet.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <windows.h>

#include <string>

#include "platform/dialog/Application.h"

int main(int argc, char** argv) {
    const std::string lock = "tern-update-ui-tests/" + std::to_string(GetCurrentProcessId());
    _putenv_s("TERN_INSTALL_LOCK", lock.c_str());
    tern::platform::CWinApp app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
