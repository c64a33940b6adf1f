// A complete update in the window on the simulated Ostrel, and the ways a run can end.
#include <thread>

#include "engine/VexDataPlay.h"
#include "platform/InstallLock.h"
#include "tests/engine/PlayCases.h"
#include "tests/support/ExpectedWrites.h"
#include "tests/ui/InstallRunHarness.h"

namespace tern::test {
namespace {

using namespace std::chrono_literals;

TEST_F(InstallRun, ACompleteUpdateSendsEveryBlockAndAnnouncesTheReboot) {
    const auto sample = samples::BuildSampleFirmware();
    // On the fake clock the schedule takes no time: slow writes keep the run going past the
    // click, long enough to see it busy.
    StartRun("write_latency_us = 2000\n", sample.file);
    EXPECT_EQ(m_dlg->m_nBusy.load(), 1);
    ASSERT_TRUE(RunEnded());
    ExpectEnded("Don't close this dialog until Ostrel completes rebooting.", 255);
    EXPECT_EQ(Progress(), 100);

    const auto writes = ReadCapture(m_capture);
    const auto expected = ExpectedWrites(sample.sysex);
    ASSERT_EQ(writes.size(), expected.size());
    for (size_t i = 0; i < writes.size(); ++i) {
        EXPECT_FALSE(writes[i].failed) << i;
        EXPECT_EQ(writes[i].hex, expected[i]) << "write " << i;
        EXPECT_EQ(writes[i].count * 2, expected[i].size()) << "write " << i;
        EXPECT_LE(writes[i].count, 4096u);
    }
}

TEST_F(InstallRun, AFailedWriteEndsTheRunWithNothingWrittenAfterIt) {
    StartRun("write_fails_at = 5\n", samples::BuildSampleFirmware().file);
    ASSERT_TRUE(RunEnded());
    ExpectEnded("FW communication error!!", 0x8000000C);
    const auto writes = ReadCapture(m_capture);
    ASSERT_EQ(writes.size(), 5u);
    EXPECT_TRUE(writes.back().failed);
    EXPECT_LT(Progress(), 100);
}

TEST_F(InstallRun, AFileTheDryRunRefusesIsAFormatErrorAndNothingIsWritten) {
    m_capture = m_env.CaptureToFile();
    OpenFound("");
    int n = 0;
    for (const PlayCase& c : PlayCases()) {
        SCOPED_TRACE(c.name);
        Load(m_files.Write("case" + std::to_string(++n) + ".mid", c.file));
        const bool accepted = c.refusal == Refusal::kNone;
        EXPECT_EQ(Text(IDC_STATUS), accepted ? "" : "File format error!!");
        EXPECT_EQ(static_cast<uint32_t>(m_dlg->m_nStatus.load()), accepted ? 0u : 0x8000000Bu);
        EXPECT_EQ(Enabled(IDC_START), accepted);
        EXPECT_TRUE(Enabled(IDC_BROWSE));
        if (!accepted) {
            Click(*m_dlg, IDC_START);  // disabled: no run begins
            EXPECT_EQ(m_dlg->m_nBusy.load(), 0);
        }
    }
    EXPECT_TRUE(ReadCapture(m_capture).empty());
}

TEST_F(InstallRun, WhileAnotherProgramInstallsNothingIsWritten) {
    platform::InstallLock other;
    ASSERT_TRUE(other.TryAcquire().Taken());
    StartRun("", samples::BuildSampleFirmware().file);
    ASSERT_TRUE(RunEnded());
    ExpectEnded("Another installation is running; nothing was written.", 0x8000000C);
    EXPECT_TRUE(ReadCapture(m_capture).empty());
    other.Release();
}

TEST_F(InstallRun, EnterOnStartAfterARunClosesTheWindowWithoutAnotherRun) {
    StartRun("", samples::BuildSampleFirmware().file);
    ASSERT_TRUE(RunEnded());
    ASSERT_EQ(FocusId(), IDC_START);  // still there, though the button is disabled
    const size_t written = ReadCapture(m_capture).size();
    Press(Key::Return);
    EXPECT_FALSE(IsShown(*m_dlg));
    EXPECT_EQ(EndResult(*m_dlg), platform::IDCANCEL);
    EXPECT_EQ(platform::BeepCount(), m_beepsBefore + 1);
    EXPECT_EQ(ReadCapture(m_capture).size(), written);
}

TEST_F(InstallRun, NeitherEscapeNorClosingInterruptsARun) {
    // Slow writes keep the run going long enough to try.
    StartRun("write_latency_us = 4000\n", samples::BuildSampleFirmware().file);
    ASSERT_TRUE(ServeUntil([this] { return Text(IDC_STATUS) == "Installing..."; }));
    Press(Key::Escape);
    EXPECT_TRUE(IsShown(*m_dlg));
    PressCloseBox(*m_dlg);
    EXPECT_TRUE(IsShown(*m_dlg));
    EXPECT_EQ(m_dlg->m_nBusy.load(), 1);
    // A second press of Start while the run is on starts nothing.
    m_dlg->OnStart();
    ASSERT_TRUE(RunEnded());
    ExpectEnded("Don't close this dialog until Ostrel completes rebooting.", 255);
    // Once the run has ended, Escape closes the window.
    Press(Key::Escape);
    EXPECT_FALSE(IsShown(*m_dlg));
}

}  // namespace
}  // namespace tern::test
