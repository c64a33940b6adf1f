#include "platform/dialog/qt/DialogWindow.h"

#include <QKeyEvent>

namespace tern::platform {
namespace {

int VirtualKeyOf(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        return 'A' + (key - Qt::Key_A);
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        return '0' + (key - Qt::Key_0);
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
        return VK_F1 + (key - Qt::Key_F1);
    }
    switch (key) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return VK_TAB;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return VK_RETURN;
        case Qt::Key_Escape:
            return VK_ESCAPE;
        case Qt::Key_Space:
            return VK_SPACE;
        case Qt::Key_Left:
            return VK_LEFT;
        case Qt::Key_Up:
            return VK_UP;
        case Qt::Key_Right:
            return VK_RIGHT;
        case Qt::Key_Down:
            return VK_DOWN;
        case Qt::Key_Home:
            return VK_HOME;
        case Qt::Key_End:
            return 35;
        case Qt::Key_PageUp:
            return 33;
        case Qt::Key_PageDown:
            return 34;
        case Qt::Key_Insert:
            return 45;
        case Qt::Key_Delete:
            return VK_DELETE;
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Shift:
            return VK_SHIFT;
        case Qt::Key_Control:
            return VK_CONTROL;
        case Qt::Key_Alt:
            return VK_MENU;
        default:
            return 0;
    }
}

}  // namespace

KeyMessage KeyMessageFrom(const QKeyEvent& event) {
    const bool alt = event.modifiers().testFlag(Qt::AltModifier) || event.key() == Qt::Key_Alt;
    return KeyMessage{
        alt ? KeyMessageKind::SysKeyDown : KeyMessageKind::KeyDown, VirtualKeyOf(event.key()),
        event.key() == Qt::Key_Backtab || event.modifiers().testFlag(Qt::ShiftModifier)};
}

}  // namespace tern::platform
