// The dialog's states, from start-up through discovery to loading files.
#include "engine/VexDataPlay.h"
#include "tests/support/GateClock.h"
#include "tests/ui/DialogHarness.h"

namespace tern::test {
namespace {

using namespace std::chrono_literals;

struct Shown {
    std::string status;
    std::string port;
    bool browse;
    bool start;
    uint32_t code;
};

class DialogStates : public DialogTest {
protected:
    Shown Now() const {
        return {Text(IDC_STATUS), Text(IDC_OUTPUT_PORT), Enabled(IDC_BROWSE), Enabled(IDC_START),
                static_cast<uint32_t>(m_dlg->m_nStatus.load())};
    }
    void Expect(const Shown& expected) const {
        const Shown now = Now();
        EXPECT_EQ(now.status, expected.status);
        EXPECT_EQ(now.port, expected.port);
        EXPECT_EQ(now.browse, expected.browse);
        EXPECT_EQ(now.start, expected.start);
        EXPECT_EQ(now.code, expected.code);
        EXPECT_EQ(m_dlg->m_nBusy.load(), 0);
    }
};

TEST_F(DialogStates, StartingBeforeTheSearchHasActed) {
    // The worker's first changes wait for this thread, which has not served events yet.
    Open("", false);
    Expect({"", "", true, false, 0});
    EXPECT_EQ(m_dlg->m_nTempo, 500000);
    EXPECT_EQ(TitleOf(*m_dlg), "Tern Update Program");
    // Icon 128 comes from the program's resources.
    EXPECT_NE(m_dlg->m_hIcon, nullptr);
}

TEST_F(DialogStates, NoDeviceLinkWhenTheRootOrTheFirstListingFails) {
    Open("create_fails = 1\n");
    Expect({"Can not get FW interface!!", "", false, false, 0x80000001});
    m_dlg.reset();
    Open("node_list_fails = 1\n");
    Expect({"Can not get FW device information!!", "", false, false, 0x80000002});
    // No search follows.
    ServeUntil([] { return false; }, 100ms);
    EXPECT_EQ(Text(IDC_STATUS), "Can not get FW device information!!");
}

TEST_F(DialogStates, SearchingWhileAttemptsFail) {
    GateClock gate;
    platform::ScopedClock installed(gate);
    Open("nodes =\n");
    ASSERT_TRUE(ServeUntil([&] { return gate.Sleeping(); }));
    ASSERT_TRUE(ServeUntil([this] { return m_dlg->m_nStatus == 3; }));
    ASSERT_TRUE(ServeUntil([this] { return Text(IDC_STATUS) == "Searching for FW device..."; }));
    Expect({"Searching for FW device...", "", false, false, 3});
    gate.Open();
    ASSERT_TRUE(ServeUntil([this] { return m_dlg->m_nStatus != 3; }));
}

TEST_F(DialogStates, NotFoundAfterTheLastAttempt) {
    Open("nodes =\n");
    ASSERT_TRUE(ServeUntil([this] { return Text(IDC_STATUS) == "FW device not found!!"; }));
    Expect({"FW device not found!!", "", false, false, 0x80000003});
}

TEST_F(DialogStates, NoFileOnceThePortIsOpen) {
    OpenFound();
    Expect({"", "FIRM", true, false, 0});
}

TEST_F(DialogStates, ALoadFailureShowsItsMessageAndKeepsBrowse) {
    OpenFound();
    struct Case {
        std::string path;
        std::string status;
        uint32_t code;
        bool imageHeld;  // only a file that was read whole and failed its parse
    };
    const Case cases[] = {
        {m_files.PathOf("absent.mid"), "File not found!!", 0x80000009, false},
        {m_files.Write("empty.mid", {}), "File format error!!", 0x8000000B, false},
        {m_files.Write("bad.mid", samples::MakeHeader(3, 1, 480)), "File format error!!",
         0x8000000B, true},
        {m_files.Write("seventeen.mid",
                       samples::MakeSmf(
                           1, 480, std::vector(17, samples::TrackWriter().EndOfTrack().Events()))),
         "File format error!!", 0x8000000B, true},
        // An open failure clears the status line.
        {m_files.Path(), "", 0x8000000A, false},
        {m_files.PathOf("no/folder.mid"), "", 0x8000000A, false},
    };
    for (const Case& c : cases) {
        Load(WriteSample());
        ASSERT_TRUE(Enabled(IDC_START));
        Load(c.path);
        Expect({c.status, "FIRM", true, false, c.code});
        EXPECT_EQ(Text(IDC_FILE_NAME), c.path);
        EXPECT_EQ(g_DataPlay.m_pData != nullptr, c.imageHeld) << c.path;
    }
}

TEST_F(DialogStates, ReadyAfterAGoodLoadAndAgainAfterAFailedOne) {
    OpenFound();
    Load(m_files.PathOf("absent.mid"));
    ASSERT_EQ(Text(IDC_STATUS), "File not found!!");
    const std::string path = WriteSample();
    Load(path);
    Expect({"", "FIRM", true, true, 0});
    EXPECT_EQ(Text(IDC_FILE_NAME), path);
    EXPECT_EQ(m_dlg->m_strPath, path);
}

TEST_F(DialogStates, ASecondGoodLoadReplacesTheFirst) {
    OpenFound();
    Load(WriteSample());
    const auto other =
        samples::MakeSmf(0, 96, {samples::TrackWriter().SysEx(0, {0x01}).EndOfTrack().Events()});
    Load(m_files.Write("other.mid", other));
    Expect({"", "FIRM", true, true, 0});
    EXPECT_EQ(g_DataPlay.m_dwSize, other.size());
}

TEST_F(DialogStates, CancellingTheFileDialogDropsTheLoadedFile) {
    OpenFound();
    Load(WriteSample());
    ASSERT_NE(g_DataPlay.m_pData, nullptr);
    Load("");  // what a cancelled dialog hands back
    EXPECT_EQ(Text(IDC_FILE_NAME), "");
    EXPECT_EQ(g_DataPlay.m_pData, nullptr);
    Expect({"", "FIRM", true, false, 0x8000000A});
}

TEST_F(DialogStates, BrowseDoesNothingWhileItIsDisabled) {
    Open("nodes =\n");
    ASSERT_TRUE(ServeUntil([this] { return !Enabled(IDC_BROWSE); }));
    Load(WriteSample());
    EXPECT_EQ(m_fileDialogs, 0);
    EXPECT_FALSE(Enabled(IDC_START));
}

TEST_F(DialogStates, TheFileNameFieldIsWhiteAndReadOnly) {
    Open();
    constexpr platform::ColorRef kWhite = platform::MakeColorRef(0xFF, 0xFF, 0xFF);
    EXPECT_EQ(TextBackgroundOf(*m_dlg, IDC_FILE_NAME), kWhite);
    // Read-only: typing reaches the key filter, which swallows it, and nothing changes.
    Load(WriteSample());
    const std::string path = Text(IDC_FILE_NAME);
    for (Key key : {Key::A, Key::Delete, Key::Backspace}) {
        Press(key);
    }
    EXPECT_EQ(Text(IDC_FILE_NAME), path);
    // The other fields keep the dialog's own background.
    EXPECT_NE(TextBackgroundOf(*m_dlg, IDC_STATUS), kWhite);
}

}  // namespace
}  // namespace tern::test
