// A window on the simulated bus with a file loaded and Start pressed, and what every ended
// run must show.
#pragma once

#include <string>
#include <thread>

#include "tests/ui/DialogHarness.h"

namespace tern::test {

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

}  // namespace tern::test
