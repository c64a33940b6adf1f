// CDialog on Win32: every operation goes to the dialog's window or its controls.
#include "platform/dialog/Dialog.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "backend/CodePage.h"
#include "platform/dialog/CommonDialogs.h"
#include "platform/dialog/win32/DialogWindow.h"

namespace tern::platform {

DialogWindow* AsDialogWindow(const CDialog& dialog) {
    return dialog.m_window.get();
}

CDialog::CDialog(const DialogTemplate& dialogTemplate, CDialog* parent)
    : m_template(dialogTemplate),
      m_parent(parent),
      m_window(std::make_unique<DialogWindow>(*this)) {}

CDialog::~CDialog() = default;

int CDialog::DoModal() {
    return m_window->RunModal(m_parent ? m_parent->m_window->Hwnd() : nullptr);
}

void CDialog::Create() {
    m_window->CreateModeless(m_parent ? m_parent->m_window->Hwnd() : nullptr);
}

void CDialog::EndDialog(int result) {
    m_window->EndDialog(result);
}

WindowHandle CDialog::GetSafeHwnd() const {
    return AsHandle(m_window->Hwnd());
}

WindowHandle CDialog::GetDlgItem(int id) const {
    const HWND window = m_window->Hwnd();
    return window && id != -1 ? AsHandle(::GetDlgItem(window, id)) : nullptr;
}

int CDialog::GetDlgCtrlID(WindowHandle control) const {
    return control ? ::GetDlgCtrlID(AsHwnd(control)) : -1;
}

WindowHandle CDialog::GetFocus() const {
    return AsHandle(m_window->Focus());
}

CMenu* CDialog::GetSystemMenu() {
    return m_window->SystemMenu();
}

void CDialog::SetIcon(IconHandle icon, bool big) {
    SendMessageA(m_window->Hwnd(), WM_SETICON, big ? ICON_BIG : ICON_SMALL,
                 reinterpret_cast<LPARAM>(AsHicon(icon)));
}

bool CDialog::IsIconic() const {
    return ::IsIconic(m_window->Hwnd()) != FALSE;
}

Size CDialog::GetClientSize() const {
    RECT client{};
    GetClientRect(m_window->Hwnd(), &client);
    return {client.right - client.left, client.bottom - client.top};
}

void CDialog::SendSysCommand(uint32_t command, intptr_t param) {
    if (const HWND window = m_window->Hwnd()) {
        SendMessageA(window, WM_SYSCOMMAND, command, param);
    }
}

void CDialog::SendIconEraseBackground(CDC& dc) {
    SendMessageA(m_window->Hwnd(), WM_ICONERASEBKGND, static_cast<WPARAM>(dc.Handle()), 0);
}

void CDialog::Send(const std::function<void()>& fn) {
    m_window->Send(fn);
}

void CDialog::SetShutdownBlockReason(const char* reason) {
    // Only the window's own thread may set or withdraw it.
    const std::string text = reason ? reason : "";
    Send([this, text, set = reason != nullptr] {
        const HWND window = m_window->Hwnd();
        if (!window) {
            return;
        }
        if (set) {
            std::wstring wide(text.begin(), text.end());  // our own ASCII text
            ShutdownBlockReasonCreate(window, wide.c_str());
        } else {
            ShutdownBlockReasonDestroy(window);
        }
    });
}

void CDialog::MessageBeep(uint32_t type) {
    Send([type] { platform::MessageBeep(type); });
}

void CDialog::WatchDisplayLoss() {
    // A window here lives as long as the session, whose end the run already holds off: no
    // display goes away under it, and the system ends no program for it.
}

void CDialog::ServePendingEvents() {
    // Key-downs for the dialog go through its filter on the way (the hook sees every
    // message this loop takes).
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void CDialog::EnableControl(WindowHandle control, bool enable) {
    m_window->EnableControl(AsHwnd(control), enable);
}

bool CDialog::IsControlEnabled(WindowHandle control) const {
    return control && IsWindowEnabled(AsHwnd(control)) != FALSE;
}

void CDialog::SetControlText(WindowHandle control, const std::string& text) {
    if (control) {
        SetWindowTextA(AsHwnd(control), text.c_str());
    }
}

std::string CDialog::GetControlText(WindowHandle control) const {
    if (!control) {
        return {};
    }
    // Read as UTF-16, whose length is exact, then put in the program's code page (UTF-8): the
    // length an "A" call gives is the system's estimate, made with double-byte code pages in
    // mind, while UTF-8 takes three bytes for a Chinese character.
    const int length = GetWindowTextLengthW(AsHwnd(control));
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int copied = GetWindowTextW(AsHwnd(control), wide.data(), static_cast<int>(wide.size()));
    if (copied <= 0) {
        return {};
    }
    return Narrow(std::wstring_view(wide.data(), static_cast<size_t>(copied)));
}

void CDialog::SetProgressRange(WindowHandle control, int lower, int upper) {
    SendMessageA(AsHwnd(control), PBM_SETRANGE32, static_cast<WPARAM>(lower), upper);
}

void CDialog::SetProgressPos(WindowHandle control, int position) {
    SendMessageA(AsHwnd(control), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

int CDialog::GetProgressPos(WindowHandle control) const {
    return static_cast<int>(SendMessageA(AsHwnd(control), PBM_GETPOS, 0, 0));
}

bool CDialog::DefaultPreTranslate(const KeyMessage& message) {
    return m_window->DefaultPreTranslate(message);
}

void CDialog::OnSysCommand(uint32_t, intptr_t) {
    // Close, Move, Minimise and the rest as the system does them; its Close comes back as
    // the cancel command.
    m_window->UseDefaultHandling();
}

void CDialog::OnPaint() {
    m_window->UseDefaultHandling();
}

}  // namespace tern::platform
