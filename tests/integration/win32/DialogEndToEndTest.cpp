// tern-update.exe as a person uses it, on a display, with the simulator registered as the
// machine's device link: the window found by its exact title, a second start that brings it
// forward and ends, Browse with the path of the sample (in a folder named in Chinese and
// Cyrillic) typed into the file dialog, Start clicked, the capture against the writes the
// sample must give, and Enter on Start closing the window; then a run whose third write
// fails. Keys and clicks are sent as input, to whichever window has the focus. Runs in a
// fresh Wine prefix of its own (in-fresh-prefix) on a display.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "res/resource.h"
#include "samples/SampleFirmware.h"
#include "status/StatusCodes.h"
#include "tests/cli/SampleCopy.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ComponentEnvironment.h"
#include "tests/support/Environment.h"
#include "tests/support/ExpectedWrites.h"
#include "tests/support/TempDir.h"
#include "tests/support/win32/Input.h"
#include "tests/support/win32/SystemPaths.h"

namespace tern::test {
namespace {

using namespace std::chrono_literals;

constexpr char kTitle[] = "Tern Update Program";

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

std::string TextOf(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

struct WindowSearch {
    const std::function<bool(HWND)>* keep;
    std::vector<HWND> found;
};

// The system's calling convention, which a lambda does not have in the 32-bit build.
BOOL CALLBACK KeepWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    if (IsWindowVisible(window) && (*search->keep)(window)) {
        search->found.push_back(window);
    }
    return TRUE;
}

// Visible top-level windows that `keep` accepts.
std::vector<HWND> TopLevelWindows(const std::function<bool(HWND)>& keep) {
    WindowSearch search{&keep, {}};
    EnumWindows(KeepWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> WindowsTitled(const std::string& title) {
    return TopLevelWindows([&](HWND w) { return TextOf(w) == title; });
}

// A control's own text: for a control of another process, GetWindowText gives only the text
// it was created with, so the control is asked.
std::string ControlText(HWND dialog, int id) {
    char text[1024] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof text,
                        reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &copied);
    return text;
}

bool ControlEnabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

// Input, then a moment for the window's thread to take it.
void Settle() {
    std::this_thread::sleep_for(50ms);
}

void PressKey(WORD key) {
    SendKeyPress(key);
    Settle();
}

void TypeText(const std::string& text) {
    SendText(text);
    Settle();
}

void ClickControl(HWND dialog, int id) {
    SendClickOn(GetDlgItem(dialog, id));
    Settle();
}

bool BringForward(HWND window) {
    SetForegroundWindow(window);
    return WaitFor([window] { return GetForegroundWindow() == window; }, 5s);
}

class DialogEndToEnd : public testing::Test {
protected:
    void SetUp() override {
        // Without a window manager, Wine draws the frames itself and closes windows at once.
        for (const char* value : {"Managed", "Decorated"}) {
            RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", value, REG_SZ, "N", 2);
        }
        ASSERT_EQ(RunSystem("regsvr32.exe", {"/s", m_library}), 0);
    }
    void TearDown() override { RunSystem("regsvr32.exe", {"/u", "/s", m_library}); }

    int RunSystem(const char* program, const std::vector<std::string>& args) {
        return RunToEnd(SystemProgram(program), args, m_dir.PathOf("regsvr32.txt"));
    }

    // Starts the program on `scenario` with its writes captured, and waits for its window
    // and for discovery to have opened the port.
    HWND Open(const std::string& scenario) {
        SetEnv("CORVO_SIM_CAPTURE", m_capture);
        // An earlier test's scenario file has gone with its folder.
        if (scenario.empty()) {
            UnsetEnv("CORVO_SIM_SCENARIO");
        } else {
            SetEnv("CORVO_SIM_SCENARIO",
                   m_dir.Write("scenario.txt", samples::Bytes(scenario.begin(), scenario.end())));
        }
        m_program = std::make_unique<ChildProcess>(TERN_UPDATE_EXE, std::vector<std::string>{},
                                                   m_dir.PathOf("stderr.txt"));
        HWND window = nullptr;
        EXPECT_TRUE(WaitFor(
            [&] {
                const auto found = WindowsTitled(kTitle);
                window = found.size() == 1 ? found[0] : nullptr;
                return window != nullptr;
            },
            30s))
            << "no window titled exactly \"" << kTitle << "\"";
        if (window) {
            EXPECT_TRUE(
                WaitFor([&] { return ControlText(window, IDC_OUTPUT_PORT) == "FIRM"; }, 30s))
                << "status: " << ControlText(window, IDC_STATUS);
        }
        return window;
    }

    // Browse from the keyboard (it has the focus), `sample`'s path typed into the file dialog,
    // and Enter there; waits for the load, and for the File Name field to show the path.
    void LoadSampleFromTheKeyboard(HWND window, const std::string& sample) {
        HWND files = nullptr;
        const auto shown = [&] {
            const auto found = TopLevelWindows([&](HWND w) { return w != window; });
            files = found.empty() ? nullptr : found[0];
            return files != nullptr && GetForegroundWindow() == files;
        };
        // On a loaded machine the window may not yet take the key when it is brought
        // forward: Enter again, but only while no other window has come up.
        bool opened = false;
        for (int attempt = 0; attempt < 4 && !opened; ++attempt) {
            if (!files) {
                ASSERT_TRUE(BringForward(window));
                PressKey(VK_RETURN);
            }
            opened = WaitFor(shown, 15s);
        }
        ASSERT_TRUE(opened) << "no file dialog";
        TypeText(sample);
        PressKey(VK_RETURN);
        ASSERT_TRUE(WaitFor(
            [&] {
                return _stricmp(ControlText(window, IDC_FILE_NAME).c_str(), sample.c_str()) == 0 &&
                       ControlEnabled(window, IDC_START);
            },
            15s))
            << "file name field: " << ControlText(window, IDC_FILE_NAME)
            << "; status: " << ControlText(window, IDC_STATUS);
    }

    // The run's last texts appear a moment before it ends, and until it has ended Enter and
    // Escape are refused: `key` is pressed again until the program has ended (at most 15 s).
    // Its exit status, or -1 when it never ended.
    int PressUntilExit(HWND window, WORD key) {
        const auto end = std::chrono::steady_clock::now() + 15s;
        while (std::chrono::steady_clock::now() < end) {
            if (IsWindow(window)) {
                BringForward(window);
                PressKey(key);
            }
            if (const int status = m_program->WaitExit(300ms); status != -1) {
                return status;
            }
        }
        return -1;
    }

    TempDir m_dir;
    const std::string m_library = FullPath(std::string(TERN_COMPONENT_DIR) + "/corvo-sim.dll");
    const std::string m_sample = FullPath(CopyOfSample(m_dir));
    const std::string m_capture = m_dir.PathOf("capture.txt");
    std::unique_ptr<ChildProcess> m_program;
};

TEST_F(DialogEndToEnd, AWholeUpdateWithKeysAndAClick) {
    // From a folder named in Chinese and Cyrillic: typed, shown and opened as it is named.
    const std::string folder = "固件 Прошивка";
    m_dir.Folder(folder);
    const std::string sample =
        FullPath(m_dir.Write(folder + "/ostrel-sample.mid", samples::BuildSampleFirmware().file));
    HWND window = Open("");
    ASSERT_NE(window, nullptr);

    // A second start, while another window is in front: the first window comes forward, the
    // second process ends at once and shows nothing.
    HWND other = CreateWindowExA(0, "STATIC", "another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                 10, 10, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(BringForward(other));
    ChildProcess second(TERN_UPDATE_EXE, {}, m_dir.PathOf("second.txt"));
    EXPECT_EQ(second.WaitExit(15s), 0);
    EXPECT_EQ(WindowsTitled(kTitle).size(), 1u);
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == window; }, 5s));
    DestroyWindow(other);

    LoadSampleFromTheKeyboard(window, sample);
    ASSERT_TRUE(BringForward(window));
    ClickControl(window, IDC_START);
    ASSERT_TRUE(WaitFor([&] { return ControlText(window, IDC_STATUS) == kTextRebooting; }, 60s))
        << "status: " << ControlText(window, IDC_STATUS);
    EXPECT_FALSE(ControlEnabled(window, IDC_BROWSE));
    EXPECT_FALSE(ControlEnabled(window, IDC_START));

    const std::vector<CapturedWrite> written = ReadCapture(m_capture);
    const std::vector<std::string> expected = ExpectedWrites(samples::BuildSampleFirmware().sysex);
    ASSERT_EQ(written.size(), expected.size());
    for (size_t i = 0; i < written.size(); ++i) {
        EXPECT_FALSE(written[i].failed) << "write " << i;
        EXPECT_EQ(written[i].hex, expected[i]) << "write " << i;
    }

    // The clicked Start keeps the focus, disabled as it is: Enter on it closes the window.
    EXPECT_EQ(PressUntilExit(window, VK_RETURN), 0);
    EXPECT_TRUE(WindowsTitled(kTitle).empty());
}

TEST_F(DialogEndToEnd, AFailedWriteShowsTheCommunicationErrorAndNothingAfterIt) {
    HWND window = Open("write_fails_at = 3\n");
    ASSERT_NE(window, nullptr);
    LoadSampleFromTheKeyboard(window, m_sample);
    ASSERT_TRUE(BringForward(window));
    PressKey(VK_TAB);  // from Browse to Start
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitFor(
        [&] { return ControlText(window, IDC_STATUS) == MessageText(kMsgCommunication); }, 60s))
        << "status: " << ControlText(window, IDC_STATUS);
    const std::vector<CapturedWrite> written = ReadCapture(m_capture);
    ASSERT_EQ(written.size(), 3u);
    EXPECT_FALSE(written[1].failed);
    EXPECT_TRUE(written[2].failed);

    // Once the run has ended, Escape closes the window.
    EXPECT_EQ(PressUntilExit(window, VK_ESCAPE), 0);
}

}  // namespace
}  // namespace tern::test
