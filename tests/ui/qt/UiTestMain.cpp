// The dialog tests run over a QApplication on the offscreen platform, so they need no display.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <string>

#include <QApplication>

#include "app/SessionSignals.h"
#include "tests/support/TempDir.h"
#include "tests/ui/qt/SessionSignalsProbe.h"

tern::test::SessionSignalsProbe& tern::test::TheSessionSignalsProbe() {
    static SessionSignalsProbe probe;
    return probe;
}

int main(int argc, char** argv) {
    // Before any other thread, as the program does.
    const CSessionSignals sessionSignals(
        {[](int signal) { tern::test::TheSessionSignalsProbe().endedBy = signal; },
         [] { ++tern::test::TheSessionSignalsProbe().stops; }});
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // An install lock and a private folder of this process's own, so test programs running
    // side by side never meet, nor meet a real instance on this machine.
    const tern::test::TempDir own;
    setenv("TERN_INSTALL_LOCK", own.PathOf("install.lock").c_str(), 1);
    // A runtime folder must be the user's alone, or Qt and our instance folder distrust it.
    chmod(own.Path().c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", own.Path().c_str(), 1);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
