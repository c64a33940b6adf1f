// The dialog tests' driver on Win32: keys and clicks as input through the window system
// (SendInput, to whichever window has the focus), served by a message loop on the test's
// thread, which is the windows' thread.
#include "tests/ui/DialogDriver.h"

#include <windows.h>

#include <chrono>
#include <map>
#include <thread>

#include "platform/dialog/win32/DialogWindow.h"
#include "tests/support/win32/Input.h"

namespace tern::test {
namespace {

using namespace std::chrono_literals;
// The dialog interface's own names for keys and commands (the system's macros are gone).
using namespace platform;

HWND HwndOf(const platform::CDialog& dialog) {
    return platform::AsHwnd(dialog.GetSafeHwnd());
}

// Serves the queue for a while: input sent to this thread arrives through the system's
// input queue, a moment after it was sent.
void ServeFor(std::chrono::milliseconds span) {
    const auto end = std::chrono::steady_clock::now() + span;
    do {
        ServeEvents();
        std::this_thread::sleep_for(2ms);
    } while (std::chrono::steady_clock::now() < end || GetQueueStatus(QS_INPUT) != 0);
}

WORD VirtualKeyOf(Key key) {
    switch (key) {
        case Key::Tab:
        case Key::ShiftTab:
            return VK_TAB;
        case Key::Left:
            return VK_LEFT;
        case Key::Up:
            return VK_UP;
        case Key::Right:
            return VK_RIGHT;
        case Key::Down:
            return VK_DOWN;
        case Key::Return:
        case Key::KeypadEnter:
            return VK_RETURN;
        case Key::Escape:
            return VK_ESCAPE;
        case Key::Space:
            return VK_SPACE;
        case Key::A:
            return 'A';
        case Key::Z:
            return 'Z';
        case Key::Digit5:
            return '5';
        case Key::Delete:
            return VK_DELETE;
        case Key::Home:
            return VK_HOME;
        case Key::F1:
            return VK_F1;
        case Key::Backspace:
            return VK_BACK;
    }
    return 0;
}

// What RunOnWindowThreadAfter runs, by timer id; only the windows' thread touches it.
std::map<UINT_PTR, std::function<void()>>& Pending() {
    static std::map<UINT_PTR, std::function<void()>> pending;
    return pending;
}

void CALLBACK RunPending(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto found = Pending().find(id);
    if (found == Pending().end()) {
        return;
    }
    const std::function<void()> fn = std::move(found->second);
    Pending().erase(found);
    fn();
}

}  // namespace

void ServeEvents() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool Activate(platform::CDialog& dialog) {
    const HWND window = HwndOf(dialog);
    SetForegroundWindow(window);
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (GetForegroundWindow() != window) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        ServeFor(10ms);
    }
    return true;
}

// Input goes to the foreground window: the dialog, or the window it has open over it.
void BringToFront(platform::CDialog& dialog) {
    const HWND target = GetLastActivePopup(HwndOf(dialog));
    if (!target || GetForegroundWindow() == target) {
        return;
    }
    SetForegroundWindow(target);
    const auto end = std::chrono::steady_clock::now() + 2s;
    while (GetForegroundWindow() != target && std::chrono::steady_clock::now() < end) {
        ServeFor(5ms);
    }
}

void PressKey(platform::CDialog& dialog, Key key) {
    BringToFront(dialog);
    SendKeyPress(VirtualKeyOf(key), key == Key::ShiftTab);
    ServeFor(40ms);
}

void Click(platform::CDialog& dialog, int id) {
    BringToFront(dialog);
    SendClickOn(platform::AsHwnd(dialog.GetDlgItem(id)));
    ServeFor(40ms);
}

void PressCloseBox(platform::CDialog& dialog) {
    // What the title bar's close box sends.
    SendMessageA(HwndOf(dialog), WM_SYSCOMMAND, SC_CLOSE, 0);
    ServeFor(10ms);
}

bool IsShown(const platform::CDialog& dialog) {
    const HWND window = HwndOf(dialog);
    return window && IsWindow(window) && IsWindowVisible(window);
}

int EndResult(const platform::CDialog& dialog) {
    return platform::AsDialogWindow(dialog)->Result();
}

std::string TitleOf(const platform::CDialog& dialog) {
    char title[256] = {};
    GetWindowTextA(HwndOf(dialog), title, sizeof title);
    return title;
}

platform::ColorRef TextBackgroundOf(platform::CDialog& dialog, int id) {
    // The control asks its dialog for the brush it paints its background with, as here.
    const HWND control = platform::AsHwnd(dialog.GetDlgItem(id));
    const HDC dc = GetDC(control);
    const auto brush = reinterpret_cast<HBRUSH>(SendMessageA(HwndOf(dialog), WM_CTLCOLORSTATIC,
                                                             reinterpret_cast<WPARAM>(dc),
                                                             reinterpret_cast<LPARAM>(control)));
    ReleaseDC(control, dc);
    LOGBRUSH info{};
    if (!brush || GetObjectA(brush, sizeof info, &info) == 0) {
        return GetSysColor(COLOR_BTNFACE);
    }
    return info.lbColor;
}

void RunOnWindowThreadAfter(int ms, std::function<void()> fn) {
    const UINT_PTR id = SetTimer(nullptr, 0, static_cast<UINT>(ms), &RunPending);
    Pending()[id] = std::move(fn);
}

}  // namespace tern::test
