// The Qt window behind a CDialog: builds the controls from the dialog's template
// (ControlFactory.cpp), passes key presses through the dialog's pre-translation hook before
// any control sees them, keeps the keyboard focus on a control that is disabled while it has
// it (Qt would move it on), turns clicks, closes and paints into the dialog's handlers, and
// serves Send calls from workers (SendQueue).
#pragma once

#include <QDialog>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

#include "platform/dialog/Dialog.h"
#include "platform/dialog/qt/DialogUnits.h"
#include "platform/dialog/qt/SendQueue.h"

class QKeyEvent;
class QPaintEvent;

namespace tern::platform {

// Handles are the widgets themselves.
inline QWidget* AsWidget(WindowHandle handle) {
    return reinterpret_cast<QWidget*>(handle);
}
inline WindowHandle AsHandle(QWidget* widget) {
    return reinterpret_cast<WindowHandle>(widget);
}

// The message for a key press; Alt held makes it a system key-down.
KeyMessage KeyMessageFrom(const QKeyEvent& event);

class DialogWindow;
DialogWindow* AsDialogWindow(const CDialog& dialog);
// The Qt dialog of `dialog` (for tests, which drive it with Qt's own events).
QDialog* QtWindowOf(const CDialog& dialog);

class DialogWindow : public QDialog {
    Q_OBJECT

public:
    DialogWindow(CDialog& owner, QWidget* parent);
    ~DialogWindow() override;

    // Creates the controls (once), binds them, runs OnInitDialog.
    void Initialise();
    void EndDialog(int result);

    QWidget* Item(int id) const;
    int IdOf(const QWidget* control) const;
    QWidget* Focus() const { return m_focus; }
    void EnableControl(QWidget* control, bool enable);
    void Send(const std::function<void()>& fn);
    // The display is gone: abandons the sends, then asks the dialog (OnDisplayLost).
    int AskAfterDisplayLoss();
    const DialogUnits& Units() const { return *m_units; }
    bool DefaultPreTranslate(const KeyMessage& message);
    // Qt's own painting of the paint event being served.
    void DefaultPaint();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void reject() override;

private:
    struct Control {
        const ControlTemplate* item;
        QPointer<QWidget> widget;
    };

    void CreateControls();
    QWidget* CreateControl(const ControlTemplate& item);
    int IndexOf(const QWidget* widget) const;
    bool CanTakeFocus(size_t index, bool needTabStop) const;
    void FocusControl(QWidget* widget);
    void FocusFirstTabStop();
    void MoveFocusOverTabStops(bool forward);
    void MoveFocusInGroup(bool forward);
    void PressButton(QWidget* widget);

    CDialog& m_owner;
    const DialogTemplate& m_template;
    std::unique_ptr<DialogUnits> m_units;
    std::vector<Control> m_controls;
    QPointer<QWidget> m_focus;
    QMetaObject::Connection m_focusTracking;
    std::unique_ptr<SendQueue> m_sends;
    QPaintEvent* m_paintEvent = nullptr;
    bool m_created = false;
    bool m_holdFocus = false;
    bool m_ending = false;
};

}  // namespace tern::platform
