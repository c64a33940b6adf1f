#include "tests/support/win32/Input.h"

#include <vector>

namespace tern::test {
namespace {

INPUT KeyInput(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

void Send(std::vector<INPUT> inputs) {
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace

void SendKeyPress(WORD key, bool withShift) {
    std::vector<INPUT> inputs;
    if (withShift) {
        inputs.push_back(KeyInput(VK_SHIFT, false));
    }
    inputs.push_back(KeyInput(key, false));
    inputs.push_back(KeyInput(key, true));
    if (withShift) {
        inputs.push_back(KeyInput(VK_SHIFT, true));
    }
    Send(inputs);
}

void SendText(const std::string& text) {
    // Typed as UTF-16 units: a character beyond the first 65,536 is typed as its two halves.
    std::wstring units(text.size(), L'\0');
    units.resize(static_cast<size_t>(
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), units.data(),
                            static_cast<int>(units.size()))));
    std::vector<INPUT> inputs;
    for (wchar_t unit : units) {
        INPUT down{};
        down.type = INPUT_KEYBOARD;
        down.ki.wScan = static_cast<WORD>(unit);
        down.ki.dwFlags = KEYEVENTF_UNICODE;
        INPUT up = down;
        up.ki.dwFlags |= KEYEVENTF_KEYUP;
        inputs.push_back(down);
        inputs.push_back(up);
    }
    Send(inputs);
}

void SendClickOn(HWND window) {
    RECT box{};
    GetWindowRect(window, &box);
    SetCursorPos((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    INPUT down{};
    down.type = INPUT_MOUSE;
    down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    INPUT up = down;
    up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    Send({down, up});
}

}  // namespace tern::test
