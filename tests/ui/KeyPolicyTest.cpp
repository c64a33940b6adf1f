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
    Press(Key::Tab);  // Start is disabled: skipped
    EXPECT_EQ(FocusId(), IDC_ABOUT);
    Press(Key::Tab);
    EXPECT_EQ(FocusId(), IDC_BROWSE);
    Ready();
    const int forward[] = {IDC_START, IDC_ABOUT, IDC_BROWSE};
    for (int id : forward) {
        Press(Key::Tab);
        EXPECT_EQ(FocusId(), id);
    }
    const int backward[] = {IDC_ABOUT, IDC_START, IDC_BROWSE};
    for (int id : backward) {
        Press(Key::ShiftTab);
        EXPECT_EQ(FocusId(), id);
    }
}

TEST_F(KeyPolicy, ArrowsMoveWithinTheFocusedControlsGroup) {
    Ready();
    struct Step {
        Key key;
        int focus;
    };
    // Browse shares its group with the file-name field; Start shares one with About...
    // (What arrows do inside the field, and whether the group's texts and bar can take the
    // focus, is each platform's own default.)
    const Step steps[] = {{Key::Left, IDC_FILE_NAME}, {Key::Tab, IDC_BROWSE},
                          {Key::Tab, IDC_START},      {Key::Right, IDC_ABOUT},
                          {Key::Left, IDC_START},     {Key::Down, IDC_ABOUT},
                          {Key::Up, IDC_START}};
    for (const Step& s : steps) {
        Press(s.key);
        EXPECT_EQ(FocusId(), s.focus) << "after key " << static_cast<int>(s.key);
    }
}

TEST_F(KeyPolicy, EnterActsOnTheFocusedButton) {
    Press(Key::Return);  // Browse
    EXPECT_EQ(m_fileDialogs, 1);
    Press(Key::Tab);
    ASSERT_EQ(FocusId(), IDC_ABOUT);
    Press(Key::KeypadEnter);
    EXPECT_EQ(m_aboutBoxes, 1);
    EXPECT_TRUE(IsShown(*m_dlg));
}

TEST_F(KeyPolicy, EnterElsewhereAsksForAFileOnlyWhenNoneIsNamed) {
    Press(Key::Left);
    ASSERT_EQ(FocusId(), IDC_FILE_NAME);
    Press(Key::Return);
    ASSERT_EQ(m_messageBoxes.size(), 1u);
    EXPECT_EQ(m_messageBoxes[0].text, "Input Update File!!");
    EXPECT_EQ(m_messageBoxes[0].type, platform::MB_OK | platform::MB_ICONEXCLAMATION);
    EXPECT_EQ(m_messageBoxes[0].caption, "ui_tests");  // the program's file name

    Load(WriteSample());  // the focus stays in the field
    Press(Key::Return);
    EXPECT_EQ(m_messageBoxes.size(), 1u);  // a path is named: nothing happens
    EXPECT_EQ(m_fileDialogs, 1);
}

TEST_F(KeyPolicy, EveryOtherKeyDoesNothing) {
    Ready();
    for (Key key : {Key::Space, Key::A, Key::Z, Key::Digit5, Key::Delete, Key::Home, Key::F1,
                    Key::Backspace}) {
        Press(key);
        EXPECT_EQ(FocusId(), IDC_BROWSE) << static_cast<int>(key);
    }
    EXPECT_EQ(m_fileDialogs, 1);  // only the load above
    EXPECT_TRUE(IsShown(*m_dlg));
    EXPECT_EQ(m_dlg->m_nBusy.load(), 0);
}

TEST_F(KeyPolicy, EscapeClosesTheIdleWindowWithTheCancelResult) {
    Press(Key::Escape);
    EXPECT_FALSE(IsShown(*m_dlg));
    EXPECT_EQ(EndResult(*m_dlg), platform::IDCANCEL);
}

TEST_F(KeyPolicy, TheAboutButtonOpensTheAboutBox) {
    Click(*m_dlg, IDC_ABOUT);
    EXPECT_EQ(m_aboutBoxes, 1);
}

}  // namespace
}  // namespace tern::test
