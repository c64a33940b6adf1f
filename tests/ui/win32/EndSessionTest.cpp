// A logout or shutdown asks the window first: during a run it says no, and every write still
// goes out; once the run has ended it lets the session end.
#include <windows.h>

#include "platform/dialog/win32/DialogWindow.h"
#include "tests/support/ExpectedWrites.h"
#include "tests/ui/InstallRunHarness.h"

namespace tern::test {
namespace {

// What the system asks each top-level window before a logoff, as it asks it.
LRESULT AskToLogOff(const platform::CDialog& dialog) {
    return SendMessageA(platform::AsHwnd(dialog.GetSafeHwnd()), WM_QUERYENDSESSION, 0,
                        ENDSESSION_LOGOFF);
}

TEST_F(InstallRun, ALogoffWaitsForTheRunAndMayEndTheSessionAfterIt) {
    const auto sample = samples::BuildSampleFirmware();
    StartRun("write_latency_us = 20000\n", sample.file);
    ASSERT_TRUE(ServeUntil([this] { return !ReadLines(m_capture).empty(); }));
    EXPECT_EQ(AskToLogOff(*m_dlg), FALSE);
    // The logoff went ahead for none: the run goes on and ends as it would have.
    SendMessageA(platform::AsHwnd(m_dlg->GetSafeHwnd()), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
    ASSERT_TRUE(RunEnded());
    ExpectEnded("Don't close this dialog until Ostrel completes rebooting.", 255);
    EXPECT_EQ(ReadCapture(m_capture).size(), ExpectedWrites(sample.sysex).size());
    EXPECT_EQ(AskToLogOff(*m_dlg), TRUE);
}

}  // namespace
}  // namespace tern::test
