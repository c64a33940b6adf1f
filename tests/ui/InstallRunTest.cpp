// A complete update in the window on the simulated Ostrel, and the ways a run can end.
#include <QProgressBar>
#include <thread>

#include "engine/VexDataPlay.h"
#include "platform/InstallLock.h"
#include "platform/qt/InstanceEndpoint.h"
#include "tests/support/CaptureTiming.h"
#include "tests/support/ExpectedWrites.h"
#include "tests/support/linux/MockLogind.h"
#include "tests/support/linux/SocketPeers.h"
#include "tests/ui/DialogHarness.h"

namespace tern::test {
namespace {

using namespace std::chrono_literals;

class InstallRun : public DialogTest {
protected:
    // Opens the window on `scenario`, loads `file` and presses Start with the mouse.
    void StartRun(const std::string& scenario, const samples::Bytes& file) {
        m_capture = m_env.CaptureToFile();
        OpenFound(scenario);
        Load(m_files.Write("firmware.mid", file));
        ASSERT_TRUE(Enabled(IDC_START));
        m_beepsBefore = platform::BeepCount();
        Click(*m_dlg, IDC_START);
    }
    bool RunEnded() {
        return ServeUntil([this] { return m_dlg->m_nBusy == 0; });
    }
    void ExpectEnded(const std::string& status, uint32_t code) {
        EXPECT_EQ(Text(IDC_STATUS), status);
        EXPECT_EQ(static_cast<uint32_t>(m_dlg->m_nStatus.load()), code);
        EXPECT_EQ(platform::BeepCount(), m_beepsBefore + 1);
        EXPECT_EQ(platform::LastBeepThread(), std::this_thread::get_id())
            << "beeped off the window's thread";
        EXPECT_FALSE(Enabled(IDC_BROWSE));
        EXPECT_FALSE(Enabled(IDC_START));
        EXPECT_EQ(m_dlg->m_nBusy.load(), 0);
        EXPECT_TRUE(IsShown(*m_dlg));
    }
    int Progress() const { return m_dlg->GetProgressPos(m_dlg->GetDlgItem(IDC_PROGRESS)); }

    std::string m_capture;
    uint32_t m_beepsBefore = 0;
};

TEST_F(InstallRun, ACompleteUpdateSendsEveryBlockAndAnnouncesTheReboot) {
    const auto sample = samples::BuildSampleFirmware();
    StartRun("", sample.file);
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

TEST_F(InstallRun, ATrackWithoutEndOfTrackIsACommunicationError) {
    samples::TrackWriter track;
    track.SysEx(0, {0x00, 0x5A, 0xF7}).SysEx(10, {0x01, 0xF7});
    StartRun("", samples::MakeSmf(0, 480, {track.Events()}));
    ASSERT_TRUE(RunEnded());
    ExpectEnded("FW communication error!!", 0x8000000C);
    EXPECT_EQ(ReadCapture(m_capture).size(), 2u);  // both blocks went out; the end never came
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

TEST_F(InstallRun, IdleConnectionsToTheInstanceEndpointDelayNoWrite) {
    // The window serves the endpoint on the thread the progress updates wait on.
    const std::string program = "tern-test-run-" + std::to_string(getpid());
    platform::SingleInstance instance(program);
    ASSERT_EQ(instance.ClaimName(), platform::SingleInstance::Claim::First);
    const std::string endpoint = platform::SingleInstanceState::EndpointPath(program);
    m_capture = m_env.CaptureToFile();
    OpenFound("");
    const std::string firmware = m_files.Write("firmware.mid", samples::BuildSampleFirmware().file);
    Load(firmware);
    ChildProcess before = StartPeer(IdleConnectionsCommand(endpoint, 10), m_files.PathOf("1.err"));
    ASSERT_TRUE(before.WaitForOutput("open 10\n")) << before.Err();

    platform::SetClock(nullptr);  // this run keeps real time
    Click(*m_dlg, IDC_START);
    ChildProcess during = StartPeer(IdleConnectionsCommand(endpoint, 10), m_files.PathOf("2.err"));
    ASSERT_TRUE(RunEnded());
    EXPECT_EQ(Text(IDC_STATUS), "Don't close this dialog until Ostrel completes rebooting.");

    const CaptureLateness late = MeasureCaptureLateness(m_capture, firmware);
    ASSERT_EQ(late.error, "");
    // Each idle connection used to hold a write back by a second; a loaded machine's own
    // stalls stay far below this margin.
    EXPECT_LT(late.worstMs, kStallMarginMs) << "write " << late.worstWrite;
}

TEST_F(InstallRun, SleepIsInhibitedExactlyWhileTheWritesGoOut) {
    PrivateBus bus(m_files);
    MockLogind logind(m_files, bus);
    ASSERT_FALSE(HasFailure());
    // Slow writes stretch the transfer; and the worker waits for this thread at its next
    // progress update, so the run cannot end while the test asks.
    StartRun("write_latency_us = 20000\n", samples::BuildSampleFirmware().file);
    ASSERT_TRUE(ServeUntil([this] { return !ReadLines(m_capture).empty(); }, 60s));
    const std::vector<Inhibitor> held = logind.Client().ListInhibitors();
    ASSERT_EQ(held.size(), 1u);
    EXPECT_EQ(held[0].what, "sleep:idle");
    EXPECT_EQ(held[0].mode, "block");
    EXPECT_EQ(held[0].who, "Tern Update Program");

    ASSERT_TRUE(RunEnded());
    ExpectEnded("Don't close this dialog until Ostrel completes rebooting.", 255);
    EXPECT_EQ(logind.Client().InhibitCalls().size(), 1u);
    EXPECT_TRUE(logind.Client().AwaitInhibitorCount(0));
}

TEST_F(InstallRun, WithoutASystemBusTheRunStillInstalls) {
    SystemBusAddress nowhere("unix:path=" + m_files.PathOf("no-bus"));
    const auto sample = samples::BuildSampleFirmware();
    StartRun("", sample.file);
    ASSERT_TRUE(RunEnded());
    ExpectEnded("Don't close this dialog until Ostrel completes rebooting.", 255);
    EXPECT_EQ(ReadCapture(m_capture).size(), ExpectedWrites(sample.sysex).size());
}

}  // namespace
}  // namespace tern::test
