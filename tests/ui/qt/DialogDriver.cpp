// The dialog tests' driver on Qt: Qt's own key and mouse events, on the offscreen platform.
#include "tests/ui/DialogDriver.h"

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>

#include "platform/dialog/qt/DialogWindow.h"

namespace tern::test {
namespace {

struct QtKey {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};

QtKey ToQt(Key key) {
    switch (key) {
        case Key::Tab:
            return {Qt::Key_Tab, Qt::NoModifier};
        case Key::ShiftTab:
            return {Qt::Key_Backtab, Qt::ShiftModifier};
        case Key::Left:
            return {Qt::Key_Left, Qt::NoModifier};
        case Key::Up:
            return {Qt::Key_Up, Qt::NoModifier};
        case Key::Right:
            return {Qt::Key_Right, Qt::NoModifier};
        case Key::Down:
            return {Qt::Key_Down, Qt::NoModifier};
        case Key::Return:
            return {Qt::Key_Return, Qt::NoModifier};
        case Key::KeypadEnter:
            return {Qt::Key_Enter, Qt::KeypadModifier};
        case Key::Escape:
            return {Qt::Key_Escape, Qt::NoModifier};
        case Key::Space:
            return {Qt::Key_Space, Qt::NoModifier};
        case Key::A:
            return {Qt::Key_A, Qt::NoModifier};
        case Key::Z:
            return {Qt::Key_Z, Qt::NoModifier};
        case Key::Digit5:
            return {Qt::Key_5, Qt::NoModifier};
        case Key::Delete:
            return {Qt::Key_Delete, Qt::NoModifier};
        case Key::Home:
            return {Qt::Key_Home, Qt::NoModifier};
        case Key::F1:
            return {Qt::Key_F1, Qt::NoModifier};
        case Key::Backspace:
            return {Qt::Key_Backspace, Qt::NoModifier};
    }
    return {Qt::Key_unknown, Qt::NoModifier};
}

}  // namespace

void ServeEvents() {
    QApplication::processEvents(QEventLoop::AllEvents, 5);
}

bool Activate(platform::CDialog& dialog) {
    QDialog* window = platform::QtWindowOf(dialog);
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

void PressKey(platform::CDialog& dialog, Key key) {
    // Where the keyboard focus really is: a nested modal window's control, if one is open.
    QWidget* target = QApplication::focusWidget();
    const QtKey qt = ToQt(key);
    QTest::keyClick(target ? target : platform::QtWindowOf(dialog), qt.key, qt.modifiers);
}

void Click(platform::CDialog& dialog, int id) {
    QTest::mouseClick(platform::AsWidget(dialog.GetDlgItem(id)), Qt::LeftButton);
}

void PressCloseBox(platform::CDialog& dialog) {
    platform::QtWindowOf(dialog)->close();
}

bool IsShown(const platform::CDialog& dialog) {
    return platform::QtWindowOf(dialog)->isVisible();
}

int EndResult(const platform::CDialog& dialog) {
    return platform::QtWindowOf(dialog)->result();
}

std::string TitleOf(const platform::CDialog& dialog) {
    return platform::QtWindowOf(dialog)->windowTitle().toStdString();
}

platform::ColorRef TextBackgroundOf(platform::CDialog& dialog, int id) {
    // A control given a brush fills itself with it; any other shows the dialog's background.
    QWidget* control = platform::AsWidget(dialog.GetDlgItem(id));
    const QColor colour = control->autoFillBackground()
                              ? control->palette().color(QPalette::Window)
                              : platform::QtWindowOf(dialog)->palette().color(QPalette::Window);
    return platform::MakeColorRef(static_cast<uint8_t>(colour.red()),
                                  static_cast<uint8_t>(colour.green()),
                                  static_cast<uint8_t>(colour.blue()));
}

void RunOnWindowThreadAfter(int ms, std::function<void()> fn) {
    QTimer::singleShot(ms, qApp, std::move(fn));
}

}  // namespace tern::test
