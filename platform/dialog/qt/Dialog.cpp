// CDialog on Qt: every operation goes to the dialog's Qt window.
#include "platform/dialog/Dialog.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>

#include "platform/dialog/CommonDialogs.h"
#include "platform/dialog/qt/DialogWindow.h"
#include "platform/dialog/qt/DisplayLoss.h"

namespace tern::platform {

QDialog* QtWindowOf(const CDialog& dialog) {
    return AsDialogWindow(dialog);
}

DialogWindow* AsDialogWindow(const CDialog& dialog) {
    return dialog.m_window.get();
}

CDialog::CDialog(const DialogTemplate& dialogTemplate, CDialog* parent)
    : m_template(dialogTemplate),
      m_parent(parent),
      m_window(std::make_unique<DialogWindow>(*this, parent ? parent->m_window.get() : nullptr)) {}

CDialog::~CDialog() = default;

int CDialog::DoModal() {
    m_window->Initialise();
    return m_window->exec();
}

void CDialog::Create() {
    m_window->Initialise();
    m_window->show();
}

void CDialog::EndDialog(int result) {
    m_window->EndDialog(result);
}

WindowHandle CDialog::GetSafeHwnd() const {
    return AsHandle(m_window.get());
}

WindowHandle CDialog::GetDlgItem(int id) const {
    return AsHandle(m_window->Item(id));
}

int CDialog::GetDlgCtrlID(WindowHandle control) const {
    return m_window->IdOf(AsWidget(control));
}

WindowHandle CDialog::GetFocus() const {
    return AsHandle(m_window->Focus());
}

CMenu* CDialog::GetSystemMenu() {
    // The window manager owns the system menu here, and Qt offers no way to add to it.
    return nullptr;
}

void CDialog::SetIcon(IconHandle icon, bool /*big*/) {
    // Qt keeps one icon in every size for a window.
    if (const auto* qicon = reinterpret_cast<const QIcon*>(icon)) {
        m_window->setWindowIcon(*qicon);
    }
}

bool CDialog::IsIconic() const {
    return m_window->isMinimized();
}

Size CDialog::GetClientSize() const {
    return {m_window->width(), m_window->height()};
}

void CDialog::SendSysCommand(uint32_t command, intptr_t param) {
    OnSysCommand(command, param);
}

void CDialog::SendIconEraseBackground(CDC& dc) {
    if (auto* painter = reinterpret_cast<QPainter*>(dc.Handle())) {
        painter->fillRect(m_window->rect(), m_window->palette().window());
    }
}

void CDialog::Send(const std::function<void()>& fn) {
    m_window->Send(fn);
}

void CDialog::SetShutdownBlockReason(const char* /*reason*/) {
    // The run asks the desktop portal not to log out before it starts writing; no window
    // is asked at logout here.
}

void CDialog::MessageBeep(uint32_t type) {
    Send([type] { platform::MessageBeep(type); });
}

void CDialog::ServePendingEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void CDialog::WatchDisplayLoss() {
    WatchForDisplayLoss(*m_window);
}

void CDialog::EnableControl(WindowHandle control, bool enable) {
    m_window->EnableControl(AsWidget(control), enable);
}

bool CDialog::IsControlEnabled(WindowHandle control) const {
    return AsWidget(control) && AsWidget(control)->isEnabled();
}

void CDialog::SetControlText(WindowHandle control, const std::string& text) {
    QWidget* widget = AsWidget(control);
    const QString value = QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(value);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(value);
        edit->setCursorPosition(0);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(value);
    } else if (widget) {
        widget->setWindowTitle(value);
    }
}

std::string CDialog::GetControlText(WindowHandle control) const {
    QWidget* widget = AsWidget(control);
    QString value;
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        value = label->text();
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        value = edit->text();
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        value = button->text();
    } else if (widget) {
        value = widget->windowTitle();
    }
    return value.toLocal8Bit().toStdString();
}

void CDialog::SetProgressRange(WindowHandle control, int lower, int upper) {
    if (auto* bar = qobject_cast<QProgressBar*>(AsWidget(control))) {
        bar->setRange(lower, upper);
    }
}

void CDialog::SetProgressPos(WindowHandle control, int position) {
    if (auto* bar = qobject_cast<QProgressBar*>(AsWidget(control))) {
        bar->setValue(position);
    }
}

int CDialog::GetProgressPos(WindowHandle control) const {
    auto* bar = qobject_cast<QProgressBar*>(AsWidget(control));
    return bar ? bar->value() : 0;
}

bool CDialog::DefaultPreTranslate(const KeyMessage& message) {
    return m_window->DefaultPreTranslate(message);
}

void CDialog::OnSysCommand(uint32_t command, intptr_t) {
    // Qt and the window manager carry out moving and minimising themselves; only the close
    // reaches the dialog.
    if ((command & 0xFFF0u) == SC_CLOSE) {
        OnCommand(IDCANCEL);
    }
}

void CDialog::OnPaint() {
    m_window->DefaultPaint();
}

}  // namespace tern::platform
