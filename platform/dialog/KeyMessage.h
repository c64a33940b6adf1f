// A key press as the dialog's key filter sees it: down or system-down (with Alt), and its
// virtual-key code. Each backend builds it from its own key events, so the filter's table
// reads the same on every platform.
#pragma once

#include "platform/dialog/Window.h"

namespace tern::platform {

enum class KeyMessageKind { KeyDown, SysKeyDown };

// Virtual-key codes the program names. The Windows headers define them as macros with the
// same values; the Win32 backend's window header removes those macros, so that these are the
// names on every platform.
constexpr int VK_TAB = 9;
constexpr int VK_RETURN = 13;
constexpr int VK_SHIFT = 16;
constexpr int VK_CONTROL = 17;
constexpr int VK_MENU = 18;
constexpr int VK_ESCAPE = 27;
constexpr int VK_SPACE = 32;
constexpr int VK_HOME = 36;
constexpr int VK_LEFT = 37;
constexpr int VK_UP = 38;
constexpr int VK_RIGHT = 39;
constexpr int VK_DOWN = 40;
constexpr int VK_DELETE = 46;
constexpr int VK_F1 = 112;

struct KeyMessage {
    KeyMessageKind kind;
    int virtualKey;  // 0 when the key has no code here
    bool shift;
};

}  // namespace tern::platform
