// The Win32 window behind a CDialog: a dialog made by the system from the executable's
// template resource of the same id, whose dialog procedure turns the system's messages into
// the dialog's handlers. Key-down messages for our dialogs are taken from the queue by a
// message hook, whichever loop retrieves them (the dialog's own modal loop, a nested file
// dialog or message box, a test's loop), and reach the dialog's key filter before dispatch.
// Workers' Send calls are SendMessage calls, which every message loop of the window's thread
// serves. A control disabled while it has the focus keeps it, as far as the dialog's key
// handling is concerned.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <optional>

#include "platform/dialog/Dialog.h"

namespace tern::platform {

// Handles are the system's own.
inline HWND AsHwnd(WindowHandle handle) {
    return reinterpret_cast<HWND>(handle);
}
inline WindowHandle AsHandle(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}
inline HICON AsHicon(IconHandle icon) {
    return reinterpret_cast<HICON>(const_cast<IconObject*>(icon));
}

class DialogWindow;
DialogWindow* AsDialogWindow(const CDialog& dialog);

class DialogWindow {
public:
    explicit DialogWindow(CDialog& owner);
    ~DialogWindow();
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    // The system's modal run of the template; -1 when the dialog cannot be made.
    int RunModal(HWND parent);
    // Made and shown, with events served by whatever loop runs.
    bool CreateModeless(HWND parent);
    void EndDialog(int result);
    HWND Hwnd() const { return m_hwnd.load(); }
    // The result EndDialog was given, and whether it has been called.
    int Result() const { return m_result; }
    bool Ended() const { return m_ended; }

    HWND Focus() const;
    void EnableControl(HWND control, bool enable);
    void Send(const std::function<void()>& fn);
    bool DefaultPreTranslate(const KeyMessage& message);
    CMenu* SystemMenu();
    // A base handler asks for the system's own handling of the message being served.
    void UseDefaultHandling() { m_useDefault = true; }
    PAINTSTRUCT& Paint() { return m_paint; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK KeyHook(int code, WPARAM wParam, LPARAM lParam);
    static DialogWindow* Owning(HWND window);
    void Attach(HWND window);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void FilterKey();
    bool MoveHeldFocus(const KeyMessage& message);

    CDialog& m_owner;
    const DWORD m_uiThread;
    std::atomic<HWND> m_hwnd{nullptr};
    bool m_modal = false;
    bool m_ended = false;
    int m_result = 0;
    bool m_useDefault = false;
    // The control that had the focus when it was disabled; the window itself has the
    // system's focus meanwhile, so keys still arrive here.
    mutable HWND m_heldFocus = nullptr;
    // The key-down the hook took from the queue, until the filter has run on it.
    std::optional<MSG> m_pendingKey;
    const MSG* m_currentKey = nullptr;
    std::optional<CMenu> m_systemMenu;
    PAINTSTRUCT m_paint{};
};

}  // namespace tern::platform
