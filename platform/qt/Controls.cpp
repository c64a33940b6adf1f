#include "platform/qt/Controls.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>

#include "platform/qt/Dialog.h"

namespace tern::platform {

void DDX_Control(CDialog& dialog, int id, CWnd& wrapper) {
    wrapper.m_dialog = &dialog;
    wrapper.m_widget = dialog.GetDlgItem(id);
}

void CWnd::EnableWindow(bool enable) {
    if (!m_widget) {
        return;
    }
    m_dialog->Send([this, enable] { m_dialog->EnableControl(m_widget, enable); });
}

bool CWnd::IsWindowEnabled() const {
    if (!m_widget) {
        return false;
    }
    bool enabled = false;
    m_dialog->Send([this, &enabled] { enabled = m_widget->isEnabled(); });
    return enabled;
}

void CWnd::SetWindowText(const std::string& text) {
    if (!m_widget) {
        return;
    }
    m_dialog->Send([this, &text] {
        const QString value =
            QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
        if (auto* label = qobject_cast<QLabel*>(m_widget)) {
            label->setText(value);
        } else if (auto* edit = qobject_cast<QLineEdit*>(m_widget)) {
            edit->setText(value);
            edit->setCursorPosition(0);
        } else if (auto* button = qobject_cast<QAbstractButton*>(m_widget)) {
            button->setText(value);
        } else {
            m_widget->setWindowTitle(value);
        }
    });
}

std::string CWnd::GetWindowText() const {
    if (!m_widget) {
        return {};
    }
    std::string result;
    m_dialog->Send([this, &result] {
        QString value;
        if (auto* label = qobject_cast<QLabel*>(m_widget)) {
            value = label->text();
        } else if (auto* edit = qobject_cast<QLineEdit*>(m_widget)) {
            value = edit->text();
        } else if (auto* button = qobject_cast<QAbstractButton*>(m_widget)) {
            value = button->text();
        } else {
            value = m_widget->windowTitle();
        }
        result = value.toLocal8Bit().toStdString();
    });
    return result;
}

void CProgressCtrl::SetRange(int lower, int upper) {
    if (auto* bar = qobject_cast<QProgressBar*>(GetSafeHwnd())) {
        Dialog()->Send([bar, lower, upper] { bar->setRange(lower, upper); });
    }
}

void CProgressCtrl::SetPos(int position) {
    if (auto* bar = qobject_cast<QProgressBar*>(GetSafeHwnd())) {
        Dialog()->Send([bar, position] { bar->setValue(position); });
    }
}

int CProgressCtrl::GetPos() const {
    int position = 0;
    if (auto* bar = qobject_cast<QProgressBar*>(GetSafeHwnd())) {
        Dialog()->Send([bar, &position] { position = bar->value(); });
    }
    return position;
}

}  // namespace tern::platform
