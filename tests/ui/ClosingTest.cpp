// Closing the window while discovery still retries: the worker is stopped before anything
// it uses goes away, and the window never hangs.
#include "devlink/Handles.h"
#include "tests/ui/DialogHarness.h"

namespace tern::test {
namespace {

using namespace std::chrono_literals;

TEST(DialogClosing, DuringDiscoveryTheWorkerStopsAndNothingLeaks) {
    // The real clock: the worker sits in a one-second pause between attempts.
    ComponentEnvironment env;
    env.SetScenario("nodes =\n");
    auto dlg = std::make_unique<CTernUpdateDlg>();
    dlg->Create();
    ASSERT_TRUE(ServeUntil([&] { return dlg->m_nStatus == 3; }));
    const auto start = std::chrono::steady_clock::now();
    PressKey(*dlg, Key::Escape);
    EXPECT_FALSE(IsShown(*dlg));
    EXPECT_EQ(EndResult(*dlg), platform::IDCANCEL);
    dlg.reset();  // joins nothing that could still be running
    EXPECT_LT(std::chrono::steady_clock::now() - start, 900ms);
    EXPECT_EQ(g_pCorvoAsync, nullptr);
    EXPECT_EQ(SimulatorCounts().liveObjects, 0);
}

TEST(DialogClosing, TheCloseBoxClosesAnIdleWindow) {
    ComponentEnvironment env;
    platform::FakeClock clock(0, 1);
    platform::ScopedClock installed(clock);
    CTernUpdateDlg dlg;
    dlg.Create();
    ASSERT_TRUE(ServeUntil(
        [&] { return dlg.m_nStatus == 0 && dlg.m_OutputPort.GetWindowText() == "FIRM"; }));
    PressCloseBox(dlg);  // the dialog ends itself rather than being closed under it
    EXPECT_FALSE(IsShown(dlg));
    EXPECT_EQ(EndResult(dlg), platform::IDCANCEL);
}

}  // namespace
}  // namespace tern::test
