// The About box: template 100 with the version line, shown modally from the main dialog.
#include <QLabel>
#include <QTimer>

#include "app/AboutDlg.h"
#include "platform/qt/DialogWindow.h"
#include "tests/ui/DialogHarness.h"

namespace tern::test {
namespace {

TEST(AboutBox, ShowsTheVersionAndClosesWithOk) {
    CAboutDlg about;
    QStringList texts;
    QTimer::singleShot(0, [&] {
        for (QLabel* label : platform::QtWindowOf(about)->findChildren<QLabel*>()) {
            texts << label->text();
        }
        QTest::keyClick(
            QApplication::focusWidget() ? QApplication::focusWidget() : platform::QtWindowOf(about),
            Qt::Key_Return);
    });
    EXPECT_EQ(about.DoModal(), platform::IDOK);
    EXPECT_EQ(tern::platform::QtWindowOf(about)->windowTitle(), "About Tern Update Program");
    EXPECT_TRUE(texts.contains("Tern Update Program Version 1.0.0"));
    EXPECT_EQ(texts.size(), 4);  // the icon, the version and two notice lines
}

TEST(AboutBox, EscapeClosesItToo) {
    CAboutDlg about;
    QTimer::singleShot(0, [&] { QTest::keyClick(platform::QtWindowOf(about), Qt::Key_Escape); });
    EXPECT_EQ(about.DoModal(), platform::IDCANCEL);
}

}  // namespace
}  // namespace tern::test
