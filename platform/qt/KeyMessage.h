// A key press as the dialog's key filter sees it: down or system-down (with Alt), and its
// virtual-key code. Built from Qt's key events so the filter's table reads the same on
// every platform.
#pragma once

#include <QKeyEvent>

namespace tern::platform {

enum class KeyMessageKind { KeyDown, SysKeyDown };

// Virtual-key codes the program names.
enum VirtualKey : int {
    VK_TAB = 9,
    VK_RETURN = 13,
    VK_SHIFT = 16,
    VK_CONTROL = 17,
    VK_MENU = 18,
    VK_ESCAPE = 27,
    VK_SPACE = 32,
    VK_HOME = 36,
    VK_LEFT = 37,
    VK_UP = 38,
    VK_RIGHT = 39,
    VK_DOWN = 40,
    VK_DELETE = 46,
    VK_F1 = 112,
};

struct KeyMessage {
    KeyMessageKind kind;
    int virtualKey;  // 0 when the key has no code here
    bool shift;
};

// The message for a key press; Alt held makes it a system key-down.
KeyMessage KeyMessageFrom(const QKeyEvent& event);

}  // namespace tern::platform
