// Wrappers over a dialog's controls with "send" semantics: from the dialog's own thread a
// call acts at once; from a worker it runs on the dialog's thread and returns when done, in
// the order the worker made its calls. Bound to their controls with DDX_Control.
#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

namespace tern::platform {

class CDialog;

class CWnd {
public:
    void EnableWindow(bool enable);
    bool IsWindowEnabled() const;
    // Texts are 8-bit, in the system's encoding.
    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    QWidget* GetSafeHwnd() const { return m_widget; }

protected:
    CDialog* Dialog() const { return m_dialog; }

private:
    friend void DDX_Control(CDialog& dialog, int id, CWnd& wrapper);
    QPointer<QWidget> m_widget;
    CDialog* m_dialog = nullptr;
};

class CButton : public CWnd {};
class CEdit : public CWnd {};
class CStatic : public CWnd {};

class CProgressCtrl : public CWnd {
public:
    void SetRange(int lower, int upper);
    void SetPos(int position);
    int GetPos() const;
};

// Binds `wrapper` to the dialog's control `id`.
void DDX_Control(CDialog& dialog, int id, CWnd& wrapper);

}  // namespace tern::platform
