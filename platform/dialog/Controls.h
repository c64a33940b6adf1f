// Wrappers over a dialog's controls with "send" semantics: from the dialog's own thread a
// call acts at once; from a worker it runs on the dialog's thread and returns when done, in
// the order the worker made its calls. Bound to their controls with DDX_Control.
#pragma once

#include <string>

#include "platform/dialog/Window.h"

namespace tern::platform {

class CDialog;

class CWnd {
public:
    void EnableWindow(bool enable);
    bool IsWindowEnabled() const;
    // Texts are 8-bit, in the system's encoding.
    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    WindowHandle GetSafeHwnd() const { return m_control; }

protected:
    CDialog* Dialog() const { return m_dialog; }

private:
    friend void DDX_Control(CDialog& dialog, int id, CWnd& wrapper);
    WindowHandle m_control = nullptr;
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
