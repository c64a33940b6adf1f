// CDialog: a modal dialog built from a DialogTemplate, with the behaviour the program was
// written against: key presses pass through a pre-translation hook before any control sees
// them, default keyboard handling moves the focus over tab stops and within groups, commands
// and system commands are virtual handlers, and the keyboard focus stays on a control that
// is disabled while it has it (Qt would move it on).
#pragma once

#include <QColor>
#include <QDialog>
#include <QPointer>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/qt/DialogTemplate.h"
#include "platform/qt/DialogUnits.h"
#include "platform/qt/KeyMessage.h"

class QPainter;
class QSocketNotifier;

namespace tern::platform {

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr uint32_t SC_CLOSE = 0xF060;
constexpr int CTLCOLOR_EDIT = 1;
constexpr int CTLCOLOR_STATIC = 6;

class CDialog : public QDialog {
    Q_OBJECT

public:
    explicit CDialog(const DialogTemplate& dialogTemplate, QWidget* parent = nullptr);
    ~CDialog() override;

    // Creates the controls (once), binds them, runs OnInitDialog, then shows the dialog and
    // serves events until EndDialog; returns the result EndDialog was given.
    int DoModal();
    // The same without the modal run: creates, initialises and shows the dialog, and returns.
    // Events are then served by whatever loop runs (tests drive it this way).
    void Create();
    void EndDialog(int result);

    QWidget* GetDlgItem(int id) const;
    int GetDlgCtrlID(const QWidget* control) const;  // -1 for none
    // The control that has the keyboard focus, also when it has been disabled since.
    QWidget* GetFocus() const;
    // Enables or disables a control; a control disabled while it has the focus keeps it.
    void EnableControl(QWidget* control, bool enable);
    // Sends a system command to the dialog and returns once it has been handled.
    void SendSysCommand(uint32_t command, intptr_t param = 0);
    // Runs `fn` on the dialog's thread and returns once it has run: at once when called
    // there, otherwise served by whatever event loop runs there (nested modal ones too),
    // in the order the calls were made.
    void Send(const std::function<void()>& fn);
    // The default beep, sounded on the dialog's thread like every other update a worker makes.
    void MessageBeep(uint32_t type);
    const DialogUnits& Units() const { return *m_units; }
    // Whether the window has a system menu the program may extend. The window manager owns
    // that menu here and Qt offers no way to add to it, so there is none to extend.
    bool HasExtensibleSystemMenu() const { return false; }

protected:
    virtual void DoDataExchange() {}
    // True: the first enabled tab stop gets the focus.
    virtual bool OnInitDialog() { return true; }
    // Every key press for the dialog or one of its controls, before it is dispatched. True
    // when consumed. The default is DefaultPreTranslate.
    virtual bool PreTranslateMessage(const KeyMessage& message);
    // The standard dialog keys: Tab and Shift+Tab over enabled tab stops, arrows within the
    // focused control's group, Escape cancels, Enter presses the focused or default button.
    bool DefaultPreTranslate(const KeyMessage& message);
    // A click on a push button.
    virtual void OnCommand(int id);
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // Close from the title bar, Alt+F4 or the window manager arrives as SC_CLOSE.
    virtual void OnSysCommand(uint32_t command, intptr_t param);
    // A colour for a control's background, asked once per control when it is created.
    virtual std::optional<QColor> OnCtlColor(QWidget* control, int kind);
    // Painting while minimised. Qt does not paint a minimised window, so this is only reached
    // where a platform does.
    virtual void OnPaintMinimized(QPainter&) {}

    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void reject() override;

private:
    struct Control {
        const ControlTemplate* item;
        QPointer<QWidget> widget;
    };

    void Initialise();
    void CreateControls();
    QWidget* CreateControl(const ControlTemplate& item);
    int IndexOf(const QWidget* widget) const;
    bool CanTakeFocus(size_t index, bool needTabStop) const;
    void FocusControl(QWidget* widget);
    void FocusFirstTabStop();
    void MoveFocusOverTabStops(bool forward);
    void MoveFocusInGroup(bool forward);
    void PressButton(QWidget* widget);
    void ServeSends();

    // A call waiting to run on the dialog's thread; lives on the sender's stack.
    struct SendRequest {
        const std::function<void()>* fn;
        bool done;
    };

    const DialogTemplate& m_template;
    std::unique_ptr<DialogUnits> m_units;
    std::vector<Control> m_controls;
    QPointer<QWidget> m_focus;
    QMetaObject::Connection m_focusTracking;
    const std::thread::id m_uiThread = std::this_thread::get_id();
    int m_wakeFd = -1;
    std::unique_ptr<QSocketNotifier> m_wakeNotifier;
    std::mutex m_sendMutex;
    std::condition_variable m_sendDone;
    std::deque<SendRequest*> m_sends;
    bool m_created = false;
    bool m_holdFocus = false;
    bool m_ending = false;
};

}  // namespace tern::platform
