// The About box: template 100 with the version line, shown modally from the main dialog.
#include "app/AboutDlg.h"
#include "tests/ui/DialogHarness.h"

namespace tern::test {
namespace {

TEST(AboutBox, ShowsTheVersionAndClosesWithOkOnEnter) {
    CAboutDlg about;
    std::string title, version, notice;
    RunOnWindowThreadAfter(0, [&] {
        title = TitleOf(about);
        version = about.GetControlText(about.GetDlgItem(IDC_ABOUT_VERSION));
        notice = about.GetControlText(about.GetDlgItem(IDC_ABOUT_NOTICE));
        PressKey(about, Key::Return);  // OK is the default button
    });
    EXPECT_EQ(about.DoModal(), platform::IDOK);
    EXPECT_EQ(title, "About Tern Update Program");
    EXPECT_EQ(version, "Tern Update Program Version 1.0.0");
    EXPECT_FALSE(notice.empty());
}

TEST(AboutBox, EscapeClosesItToo) {
    CAboutDlg about;
    RunOnWindowThreadAfter(0, [&] { PressKey(about, Key::Escape); });
    EXPECT_EQ(about.DoModal(), platform::IDCANCEL);
}

}  // namespace
}  // namespace tern::test
