// The dialog tests run over a QApplication on the offscreen platform, so they need no display.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include <QApplication>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // A lock of this process's own, so test programs running side by side never meet.
    setenv("TERN_INSTALL_LOCK", ("tern-test/install/" + std::to_string(getpid())).c_str(), 1);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
