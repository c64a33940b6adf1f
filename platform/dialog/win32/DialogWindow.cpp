#include "platform/dialog/win32/DialogWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace tern::platform {
namespace {

// Private messages of our dialogs: a worker's call to run here, and a key-down the hook
// took from the queue for the key filter.
constexpr UINT kSendMessage = WM_APP + 0x100;
constexpr UINT kFilterKeyMessage = WM_APP + 0x101;

// The dialogs of this thread, for the hook, which sees every message the thread retrieves.
thread_local std::vector<DialogWindow*> t_dialogs;
thread_local HHOOK t_keyHook = nullptr;

void PrepareThread(HOOKPROC hook) {
    static const bool controls = [] {
        INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
        return InitCommonControlsEx(&init) != FALSE;
    }();
    (void)controls;
    if (!t_keyHook) {
        t_keyHook = SetWindowsHookExA(WH_GETMESSAGE, hook, nullptr, GetCurrentThreadId());
    }
}

KeyMessage KeyMessageOf(const MSG& msg) {
    return KeyMessage{
        msg.message == WM_SYSKEYDOWN ? KeyMessageKind::SysKeyDown : KeyMessageKind::KeyDown,
        static_cast<int>(msg.wParam), GetKeyState(VK_SHIFT) < 0};
}

}  // namespace

DialogWindow::DialogWindow(CDialog& owner) : m_owner(owner), m_uiThread(GetCurrentThreadId()) {}

DialogWindow::~DialogWindow() {
    if (const HWND window = m_hwnd.load(); window && IsWindow(window)) {
        DestroyWindow(window);
    }
    std::erase(t_dialogs, this);
}

int DialogWindow::RunModal(HWND parent) {
    PrepareThread(&KeyHook);
    m_modal = true;
    m_ended = false;
    const INT_PTR result =
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_owner.Template().id), parent,
                        &DialogProc, reinterpret_cast<LPARAM>(this));
    return static_cast<int>(result);
}

bool DialogWindow::CreateModeless(HWND parent) {
    PrepareThread(&KeyHook);
    m_modal = false;
    m_ended = false;
    const HWND window =
        CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_owner.Template().id),
                           parent, &DialogProc, reinterpret_cast<LPARAM>(this));
    if (!window) {
        return false;
    }
    ShowWindow(window, SW_SHOW);
    return true;
}

void DialogWindow::EndDialog(int result) {
    m_result = result;
    m_ended = true;
    const HWND window = m_hwnd.load();
    if (!window) {
        return;
    }
    if (m_modal) {
        ::EndDialog(window, result);
    } else {
        // A dialog made without a modal run ends hidden; it goes with its object.
        ShowWindow(window, SW_HIDE);
    }
}

void DialogWindow::Attach(HWND window) {
    m_hwnd = window;
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(this));
    t_dialogs.push_back(this);
}

DialogWindow* DialogWindow::Owning(HWND window) {
    const HWND root = window ? GetAncestor(window, GA_ROOT) : nullptr;
    for (DialogWindow* dialog : t_dialogs) {
        if (root && dialog->m_hwnd.load() == root) {
            return dialog;
        }
    }
    return nullptr;
}

LRESULT CALLBACK DialogWindow::KeyHook(int code, WPARAM wParam, LPARAM lParam) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    // Only a message leaving the queue, and only key-downs for one of our dialogs: it is
    // handed to that dialog as a private message, and the filter runs when it is
    // dispatched, outside the hook, where it may open windows of its own.
    if (code == HC_ACTION && wParam == PM_REMOVE &&
        (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN)) {
        if (DialogWindow* dialog = Owning(msg->hwnd)) {
            dialog->m_pendingKey = *msg;
            msg->hwnd = dialog->m_hwnd.load();
            msg->message = kFilterKeyMessage;
            msg->wParam = 0;
            msg->lParam = 0;
        }
    }
    return CallNextHookEx(t_keyHook, code, wParam, lParam);
}

void DialogWindow::FilterKey() {
    if (!m_pendingKey) {
        return;
    }
    const MSG key = *m_pendingKey;
    m_pendingKey.reset();
    const MSG* outer = m_currentKey;
    m_currentKey = &key;
    const bool consumed = m_owner.PreTranslateMessage(KeyMessageOf(key));
    m_currentKey = outer;
    if (!consumed) {
        TranslateMessage(&key);
        DispatchMessageA(&key);
    }
}

bool DialogWindow::DefaultPreTranslate(const KeyMessage& message) {
    if (!m_currentKey) {
        return false;
    }
    if (MoveHeldFocus(message)) {
        return true;
    }
    return IsDialogMessageA(m_hwnd.load(), const_cast<MSG*>(m_currentKey)) != FALSE;
}

bool DialogWindow::MoveHeldFocus(const KeyMessage& message) {
    // The system's keyboard handling starts from the focused control; while a disabled one
    // holds it, Tab and the arrows start from that one instead.
    const HWND window = m_hwnd.load();
    if (message.kind != KeyMessageKind::KeyDown || Focus() != m_heldFocus || !m_heldFocus) {
        return false;
    }
    HWND next = nullptr;
    switch (message.virtualKey) {
        case VK_TAB:
            next = GetNextDlgTabItem(window, m_heldFocus, message.shift);
            break;
        case VK_LEFT:
        case VK_UP:
            next = GetNextDlgGroupItem(window, m_heldFocus, TRUE);
            break;
        case VK_RIGHT:
        case VK_DOWN:
            next = GetNextDlgGroupItem(window, m_heldFocus, FALSE);
            break;
        default:
            return false;
    }
    if (next && next != m_heldFocus) {
        m_heldFocus = nullptr;
        SendMessageA(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(next), TRUE);
    }
    return true;
}

HWND DialogWindow::Focus() const {
    const HWND window = m_hwnd.load();
    const HWND focus = GetFocus();
    if (window && focus && focus != window && IsChild(window, focus)) {
        m_heldFocus = nullptr;  // the focus has moved on since
        return focus;
    }
    if (m_heldFocus && IsWindow(m_heldFocus) && (focus == window || !focus)) {
        return m_heldFocus;
    }
    return nullptr;
}

void DialogWindow::EnableControl(HWND control, bool enable) {
    if (!control) {
        return;
    }
    const bool hadFocus = !enable && Focus() == control;
    EnableWindow(control, enable ? TRUE : FALSE);
    if (hadFocus) {
        // The system takes the focus away from a disabled control; the window itself takes
        // it, so keys still come here as plain key-downs, and they act on the held control.
        m_heldFocus = control;
        if (GetFocus() != m_hwnd.load()) {
            SetFocus(m_hwnd.load());
        }
    } else if (enable && control == m_heldFocus && GetFocus() == m_hwnd.load()) {
        m_heldFocus = nullptr;
        SetFocus(control);
    }
}

void DialogWindow::Send(const std::function<void()>& fn) {
    const HWND window = m_hwnd.load();
    if (GetCurrentThreadId() == m_uiThread || !window) {
        // On the window's thread, or with no window left whose thread could serve it: the
        // controls it names are gone too, and the call finds nothing to change.
        fn();
        return;
    }
    SendMessageA(window, kSendMessage, 0, reinterpret_cast<LPARAM>(&fn));
}

CMenu* DialogWindow::SystemMenu() {
    const HMENU menu = GetSystemMenu(m_hwnd.load(), FALSE);
    if (!menu) {
        return nullptr;
    }
    m_systemMenu.emplace(reinterpret_cast<intptr_t>(menu));
    return &*m_systemMenu;
}

INT_PTR CALLBACK DialogWindow::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<DialogWindow*>(lParam);
        self->Attach(window);
        return self->Handle(message, wParam, lParam);
    }
    auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrA(window, DWLP_USER));
    if (!self) {
        return FALSE;
    }
    if (message == WM_NCDESTROY) {
        std::erase(t_dialogs, self);
        self->m_hwnd = nullptr;
        self->m_heldFocus = nullptr;
        return FALSE;
    }
    return self->Handle(message, wParam, lParam);
}

INT_PTR DialogWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            m_owner.DoDataExchange();
            // True: the system gives the first enabled tab stop the focus.
            return m_owner.OnInitDialog() ? TRUE : FALSE;
        case kSendMessage:
            (*reinterpret_cast<const std::function<void()>*>(lParam))();
            return TRUE;
        case kFilterKeyMessage:
            FilterKey();
            return TRUE;
        case WM_SETFOCUS:
            // While a disabled control holds the focus, the window keeps it rather than
            // handing it back to a control the way the system does.
            return Focus() == m_heldFocus && m_heldFocus ? TRUE : FALSE;
        case WM_ACTIVATE:
            // Coming back to the window (after the About box, say) keeps a held focus too.
            if (LOWORD(wParam) != WA_INACTIVE && Focus() == m_heldFocus && m_heldFocus) {
                SetFocus(m_hwnd.load());
                return TRUE;
            }
            return FALSE;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                m_owner.OnCommand(LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        case WM_SYSCOMMAND:
            m_useDefault = false;
            m_owner.OnSysCommand(static_cast<uint32_t>(wParam), lParam);
            return m_useDefault ? FALSE : TRUE;
        case WM_PAINT:
            m_useDefault = false;
            m_owner.OnPaint();
            return m_useDefault ? FALSE : TRUE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(AsHicon(m_owner.OnQueryDragIcon()));
        case WM_QUERYENDSESSION:
            // A dialog answers through its message result.
            SetWindowLongPtrA(m_hwnd.load(), DWLP_MSGRESULT,
                              m_owner.OnQueryEndSession() ? TRUE : FALSE);
            return TRUE;
        case WM_ENDSESSION:
            m_owner.OnEndSession(wParam != FALSE);
            return TRUE;
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC: {
            // The system's answer is a brush handle, returned as the dialog's result.
            CDC dc(static_cast<intptr_t>(wParam));
            const CBrush* brush = m_owner.OnCtlColor(dc, AsHandle(reinterpret_cast<HWND>(lParam)),
                                                     static_cast<int>(message - WM_CTLCOLORMSGBOX));
            return brush && brush->IsCreated() ? static_cast<INT_PTR>(brush->Handle()) : FALSE;
        }
        default:
            return FALSE;
    }
}

}  // namespace tern::platform
