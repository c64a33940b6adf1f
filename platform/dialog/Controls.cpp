#include "platform/dialog/Controls.h"

#include "platform/dialog/Dialog.h"

namespace tern::platform {

void DDX_Control(CDialog& dialog, int id, CWnd& wrapper) {
    wrapper.m_dialog = &dialog;
    wrapper.m_control = dialog.GetDlgItem(id);
}

void CWnd::EnableWindow(bool enable) {
    if (!m_control) {
        return;
    }
    m_dialog->Send([this, enable] { m_dialog->EnableControl(m_control, enable); });
}

bool CWnd::IsWindowEnabled() const {
    if (!m_control) {
        return false;
    }
    bool enabled = false;
    m_dialog->Send([this, &enabled] { enabled = m_dialog->IsControlEnabled(m_control); });
    return enabled;
}

void CWnd::SetWindowText(const std::string& text) {
    if (!m_control) {
        return;
    }
    m_dialog->Send([this, &text] { m_dialog->SetControlText(m_control, text); });
}

std::string CWnd::GetWindowText() const {
    if (!m_control) {
        return {};
    }
    std::string text;
    m_dialog->Send([this, &text] { text = m_dialog->GetControlText(m_control); });
    return text;
}

void CProgressCtrl::SetRange(int lower, int upper) {
    if (GetSafeHwnd()) {
        Dialog()->Send(
            [this, lower, upper] { Dialog()->SetProgressRange(GetSafeHwnd(), lower, upper); });
    }
}

void CProgressCtrl::SetPos(int position) {
    if (GetSafeHwnd()) {
        Dialog()->Send([this, position] { Dialog()->SetProgressPos(GetSafeHwnd(), position); });
    }
}

int CProgressCtrl::GetPos() const {
    int position = 0;
    if (GetSafeHwnd()) {
        Dialog()->Send([this, &position] { position = Dialog()->GetProgressPos(GetSafeHwnd()); });
    }
    return position;
}

}  // namespace tern::platform
