// A main update dialog on the simulated bus, shown without a modal run so the test can drive
// it with real key events while the window's thread serves the workers in between. The same
// tests run on both dialog backends: everything toolkit-specific is in the driver.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/dialog/CommonDialogs.h"
#include "res/resource.h"
#include "samples/SampleFirmware.h"
#include "tests/support/ComponentEnvironment.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempDir.h"
#include "tests/ui/DialogDriver.h"
#include "ui/TernUpdateDlg.h"

namespace tern::test {

// Serves events until `done` holds or `limit` (real time) passes.
inline bool ServeUntil(const std::function<bool()>& done,
                       std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        ServeEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

class DialogTest : public testing::Test {
protected:
    void SetUp() override {
        platform::SetOpenFileAnswer([this]() -> std::optional<std::string> {
            ++m_fileDialogs;
            return m_nextFile;
        });
        platform::SetMessageBoxAnswer([this](const platform::MessageBoxCall& call) {
            m_messageBoxes.push_back(call);
            return platform::IDOK;
        });
    }

    void TearDown() override {
        m_dlg.reset();  // releases the handles
        platform::SetOpenFileAnswer(nullptr);
        platform::SetMessageBoxAnswer(nullptr);
        EXPECT_EQ(SimulatorCounts().liveObjects, 0);
    }

    // Opens the dialog on the scenario given (the default bus when empty) and, unless told
    // not to, serves events until its window is active.
    void Open(const std::string& scenario = "", bool serve = true) {
        if (!scenario.empty()) {
            m_env.SetScenario(scenario);
        }
        m_dlg = std::make_unique<CTernUpdateDlg>();
        m_dlg->SetAboutBox([this](tern::platform::CDialog*) { ++m_aboutBoxes; });
        m_dlg->Create();
        if (serve) {
            ASSERT_TRUE(Activate(*m_dlg));
        }
    }

    // Opens the dialog and waits until discovery has found the port.
    void OpenFound(const std::string& scenario = "") {
        Open(scenario);
        ASSERT_TRUE(ServeUntil([this] { return Text(IDC_OUTPUT_PORT) == "FIRM"; }));
    }

    std::string Text(int id) const { return m_dlg->GetControlText(m_dlg->GetDlgItem(id)); }
    bool Enabled(int id) const { return m_dlg->IsControlEnabled(m_dlg->GetDlgItem(id)); }
    int FocusId() const { return m_dlg->GetDlgCtrlID(m_dlg->GetFocus()); }

    // A key press and release where the keyboard focus really is.
    void Press(Key key) { PressKey(*m_dlg, key); }

    // Chooses `path` in the next file dialog and presses Browse.
    void Load(const std::string& path) {
        m_nextFile = path;
        m_dlg->OnBrowse();
    }

    std::string WriteSample() {
        return m_files.Write("firmware.mid", samples::BuildSampleFirmware().file);
    }

    ComponentEnvironment m_env;
    platform::FakeClock m_clock{0, 1};
    platform::ScopedClock m_installed{m_clock};
    TempDir m_files;
    std::unique_ptr<CTernUpdateDlg> m_dlg;
    std::optional<std::string> m_nextFile;
    int m_fileDialogs = 0;
    int m_aboutBoxes = 0;
    std::vector<platform::MessageBoxCall> m_messageBoxes;
};

}  // namespace tern::test
