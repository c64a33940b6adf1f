// The key filter with real key events: what each key does, where the focus goes.
#include "tests/ui/DialogHarness.h"

namespace tern::test {
namespace {

using namespace std::chrono_literals;

class KeyPolicy : public DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        OpenFound();
    }
    void Ready() {
        Load(WriteSample());
        ASSERT_TRUE(Enabled(IDC_START));
    }
};

TEST_F(KeyPolicy, TheFirstEnabledTabStopHasTheFocusAtStart) {
    EXPECT_EQ(FocusId(), IDC_BROWSE);
}

TEST_F(KeyPolicy, TabAndShiftTabVisitTheEnabledTabStopsInOrder) {
    Press(Qt::Key_Tab);  // Start is disabled: skipped
    EXPECT_EQ(FocusId(), IDC_ABOUT);
    Press(Qt::Key_Tab);
    EXPECT_EQ(FocusId(), IDC_BROWSE);
    Ready();
    const int forward[] = {IDC_START, IDC_ABOUT, IDC_BROWSE};
    for (int id : forward) {
        Press(Qt::Key_Tab);
        EXPECT_EQ(FocusId(), id);
    }
    const int backward[] = {IDC_ABOUT, IDC_START, IDC_BROWSE};
    for (int id : backward) {
        Press(Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_EQ(FocusId(), id);
    }
}

TEST_F(KeyPolicy, ArrowsMoveWithinTheFocusedControlsGroup) {
    Ready();
    struct Step {
        Qt::Key key;
        int focus;
    };
    // Browse shares its group with the file-name field; Start shares one with About...
    const Step steps[] = {{Qt::Key_Left, IDC_FILE_NAME}, {Qt::Key_Down, IDC_BROWSE},
                          {Qt::Key_Up, IDC_FILE_NAME},   {Qt::Key_Right, IDC_BROWSE},
                          {Qt::Key_Tab, IDC_START},      {Qt::Key_Right, IDC_ABOUT},
                          {Qt::Key_Down, IDC_START},     {Qt::Key_Up, IDC_ABOUT}};
    for (const Step& s : steps) {
        Press(s.key);
        EXPECT_EQ(FocusId(), s.focus) << "after key " << s.key;
    }
}

TEST_F(KeyPolicy, EnterActsOnTheFocusedButton) {
    Press(Qt::Key_Return);  // Browse
    EXPECT_EQ(m_fileDialogs, 1);
    Press(Qt::Key_Tab);
    ASSERT_EQ(FocusId(), IDC_ABOUT);
    Press(Qt::Key_Enter);
    EXPECT_EQ(m_aboutBoxes, 1);
    EXPECT_TRUE(Window()->isVisible());
}

TEST_F(KeyPolicy, EnterElsewhereAsksForAFileOnlyWhenNoneIsNamed) {
    Press(Qt::Key_Left);
    ASSERT_EQ(FocusId(), IDC_FILE_NAME);
    Press(Qt::Key_Return);
    ASSERT_EQ(m_messageBoxes.size(), 1u);
    EXPECT_EQ(m_messageBoxes[0].text, "Input Update File!!");
    EXPECT_EQ(m_messageBoxes[0].type, platform::MB_OK | platform::MB_ICONEXCLAMATION);
    EXPECT_EQ(m_messageBoxes[0].caption, "ui_tests");  // the program's file name

    Load(WriteSample());  // the focus stays in the field
    Press(Qt::Key_Return);
    EXPECT_EQ(m_messageBoxes.size(), 1u);  // a path is named: nothing happens
    EXPECT_EQ(m_fileDialogs, 1);
}

TEST_F(KeyPolicy, EveryOtherKeyDoesNothing) {
    Ready();
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_A, Qt::Key_Z, Qt::Key_5, Qt::Key_Delete,
                        Qt::Key_Home, Qt::Key_F1, Qt::Key_Backspace}) {
        Press(key);
        EXPECT_EQ(FocusId(), IDC_BROWSE) << key;
    }
    EXPECT_EQ(m_fileDialogs, 1);  // only the load above
    EXPECT_TRUE(Window()->isVisible());
    EXPECT_EQ(m_dlg->m_nBusy.load(), 0);
}

TEST_F(KeyPolicy, EscapeClosesTheIdleWindowWithTheCancelResult) {
    Press(Qt::Key_Escape);
    EXPECT_FALSE(Window()->isVisible());
    EXPECT_EQ(Window()->result(), platform::IDCANCEL);
}

TEST_F(KeyPolicy, TheAboutButtonOpensTheAboutBox) {
    QTest::mouseClick(platform::AsWidget(m_dlg->GetDlgItem(IDC_ABOUT)), Qt::LeftButton);
    EXPECT_EQ(m_aboutBoxes, 1);
}

}  // namespace
}  // namespace tern::test
