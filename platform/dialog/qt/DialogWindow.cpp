#include "platform/dialog/qt/DialogWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPainter>
#include <QPushButton>

#include "platform/dialog/qt/DisplayLoss.h"

namespace tern::platform {
namespace {

Qt::WindowFlags FlagsOf(const DialogTemplate& t) {
    Qt::WindowFlags flags =
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    if (t.styles & kDialogSystemMenu) {
        flags |= Qt::WindowSystemMenuHint;
    }
    if (t.styles & kDialogMinimizeBox) {
        flags |= Qt::WindowMinimizeButtonHint;
    }
    return flags;
}

}  // namespace

DialogWindow::DialogWindow(CDialog& owner, QWidget* parent)
    : QDialog(parent, FlagsOf(owner.Template())), m_owner(owner), m_template(owner.Template()) {
    setFont(TemplateFont(m_template.fontFamily, m_template.fontPointSize));
    m_units = std::make_unique<DialogUnits>(font());
    setWindowTitle(QString::fromUtf8(m_template.title));
    setFixedSize(m_units->ToPixelsX(m_template.cx), m_units->ToPixelsY(m_template.cy));
    m_sends = std::make_unique<SendQueue>();
    m_focusTracking =
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
            if (!m_holdFocus && now && IndexOf(now) >= 0) {
                m_focus = now;
            }
        });
}

DialogWindow::~DialogWindow() {
    StopWatchingForDisplayLoss(*this);
    // Qt's part of the window outlives this one and still moves the focus and delivers
    // events while it goes: none of that may reach the dialog any more.
    disconnect(m_focusTracking);
    m_sends.reset();
    removeEventFilter(this);
    for (const Control& c : m_controls) {
        if (c.widget) {
            c.widget->removeEventFilter(this);
        }
    }
}

void DialogWindow::Initialise() {
    if (!m_created) {
        CreateControls();
        m_owner.DoDataExchange();
        m_created = true;
    }
    if (m_owner.OnInitDialog()) {
        FocusFirstTabStop();
    }
    if (!parentWidget()) {
        WatchForDisplayLoss(*this);  // a box shown over the window goes with it
    }
}

int DialogWindow::AskAfterDisplayLoss() {
    m_sends->Abandon();
    return m_owner.OnDisplayLost();
}

void DialogWindow::EndDialog(int result) {
    m_ending = true;
    done(result);
    m_ending = false;
}

QWidget* DialogWindow::Item(int id) const {
    for (const Control& c : m_controls) {
        if (c.item->id == id && id != -1) {
            return c.widget;
        }
    }
    return nullptr;
}

int DialogWindow::IdOf(const QWidget* control) const {
    const int index = IndexOf(control);
    return index < 0 ? -1 : m_controls[static_cast<size_t>(index)].item->id;
}

int DialogWindow::IndexOf(const QWidget* widget) const {
    for (size_t i = 0; i < m_controls.size(); ++i) {
        if (widget && m_controls[i].widget == widget) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void DialogWindow::EnableControl(QWidget* control, bool enable) {
    if (!control || control->isEnabled() == enable) {
        return;
    }
    const bool hadFocus = control == m_focus;
    m_holdFocus = hadFocus;
    control->setEnabled(enable);
    if (hadFocus && !enable) {
        // Qt moved the focus to the next control; take it back to the window itself, so
        // keys still arrive here and the disabled control is still the one they act on.
        setFocus(Qt::OtherFocusReason);
    }
    m_holdFocus = false;
}

void DialogWindow::Send(const std::function<void()>& fn) {
    m_sends->Send(fn);
}

bool DialogWindow::CanTakeFocus(size_t index, bool needTabStop) const {
    const Control& c = m_controls[index];
    return c.widget && c.widget->isEnabled() && !c.widget->isHidden() &&
           c.widget->focusPolicy() != Qt::NoFocus &&
           (!needTabStop || (c.item->styles & kStyleTabStop));
}

void DialogWindow::FocusControl(QWidget* widget) {
    m_focus = widget;
    widget->setFocus(Qt::TabFocusReason);
}

void DialogWindow::FocusFirstTabStop() {
    for (size_t i = 0; i < m_controls.size(); ++i) {
        if (CanTakeFocus(i, true)) {
            FocusControl(m_controls[i].widget);
            return;
        }
    }
}

void DialogWindow::MoveFocusOverTabStops(bool forward) {
    const int count = static_cast<int>(m_controls.size());
    const int from = IndexOf(m_focus);
    for (int step = 1; step <= count; ++step) {
        const int start = from < 0 ? (forward ? -1 : count) : from;
        const int i = ((start + (forward ? step : -step)) % count + count) % count;
        if (CanTakeFocus(static_cast<size_t>(i), true)) {
            FocusControl(m_controls[static_cast<size_t>(i)].widget);
            return;
        }
    }
}

void DialogWindow::MoveFocusInGroup(bool forward) {
    const int from = IndexOf(m_focus);
    if (from < 0) {
        return;
    }
    int first = from;
    while (first > 0 && !(m_controls[static_cast<size_t>(first)].item->styles & kStyleGroup)) {
        --first;
    }
    int end = from + 1;
    while (end < static_cast<int>(m_controls.size()) &&
           !(m_controls[static_cast<size_t>(end)].item->styles & kStyleGroup)) {
        ++end;
    }
    const int size = end - first;
    for (int step = 1; step < size; ++step) {
        const int offset = ((from - first) + (forward ? step : -step)) % size;
        const int i = first + (offset + size) % size;
        if (CanTakeFocus(static_cast<size_t>(i), false)) {
            FocusControl(m_controls[static_cast<size_t>(i)].widget);
            return;
        }
    }
}

void DialogWindow::PressButton(QWidget* widget) {
    if (auto* button = qobject_cast<QPushButton*>(widget); button && button->isEnabled()) {
        button->click();
    }
}

bool DialogWindow::DefaultPreTranslate(const KeyMessage& message) {
    if (message.kind != KeyMessageKind::KeyDown) {
        return false;
    }
    switch (message.virtualKey) {
        case VK_TAB:
            MoveFocusOverTabStops(!message.shift);
            return true;
        case VK_LEFT:
        case VK_UP:
            MoveFocusInGroup(false);
            return true;
        case VK_RIGHT:
        case VK_DOWN:
            MoveFocusInGroup(true);
            return true;
        case VK_ESCAPE:
            m_owner.OnCommand(IDCANCEL);
            return true;
        case VK_RETURN: {
            if (qobject_cast<QPushButton*>(m_focus)) {
                PressButton(m_focus);
                return true;
            }
            for (const Control& c : m_controls) {
                if (c.item->styles & kStyleDefaultButton) {
                    PressButton(c.widget);
                }
            }
            return true;
        }
        default:
            return false;
    }
}

bool DialogWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        (watched == this || IndexOf(qobject_cast<QWidget*>(watched)) >= 0)) {
        return m_owner.PreTranslateMessage(KeyMessageFrom(*static_cast<QKeyEvent*>(event)));
    }
    return QDialog::eventFilter(watched, event);
}

void DialogWindow::closeEvent(QCloseEvent* event) {
    if (m_ending) {
        event->accept();
        return;
    }
    // The close box, Alt+F4 and the window manager: the dialog decides, as with any other
    // system command.
    event->ignore();
    m_owner.OnSysCommand(SC_CLOSE, 0);
}

void DialogWindow::paintEvent(QPaintEvent* event) {
    // The dialog paints through a CPaintDC, which opens a painter on this window only while
    // the paint event is served. Qt paints no minimised window, so OnPaint never sees one.
    m_paintEvent = event;
    m_owner.OnPaint();
    m_paintEvent = nullptr;
}

void DialogWindow::DefaultPaint() {
    if (m_paintEvent) {
        QDialog::paintEvent(m_paintEvent);
    }
}

void DialogWindow::reject() {
    // Qt's own ways of dismissing a dialog go through the dialog's cancel handling too.
    m_owner.OnCommand(IDCANCEL);
}

}  // namespace tern::platform
