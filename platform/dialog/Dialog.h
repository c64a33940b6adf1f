// CDialog: a modal dialog built from a DialogTemplate, with the behaviour the program was
// written against: every queued key message for the dialog or one of its controls passes
// through a pre-translation hook before it is dispatched, the default keyboard handling moves
// the focus over tab stops and within groups, commands, system commands, control colours,
// painting and the drag-icon query are virtual handlers, and the keyboard focus stays on a
// control that is disabled while it has it.
//
// The window itself belongs to the dialog backend (Qt widgets on Linux, Win32 dialogs on
// Windows); this class holds it behind a pointer, so nothing above the platform sees a
// toolkit type. Every operation runs on the dialog's thread unless it says otherwise.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/dialog/DialogTemplate.h"
#include "platform/dialog/KeyMessage.h"
#include "platform/dialog/Window.h"

namespace tern::platform {

class CDialog;
class DialogWindow;  // the backend's window

// A window's menu, as far as the program extends it: items appended at its end.
class CMenu {
public:
    explicit CMenu(intptr_t handle) : m_handle(handle) {}
    // Appends a separator (MF_SEPARATOR) or a text item with command `id` (MF_STRING).
    bool AppendMenu(uint32_t flags, uintptr_t id = 0, const char* text = nullptr);

private:
    intptr_t m_handle;
};

// A solid brush. The backend makes the system object when one is asked of it, and deletes
// it with the brush.
class CBrush {
public:
    CBrush() = default;
    ~CBrush();
    CBrush(const CBrush&) = delete;
    CBrush& operator=(const CBrush&) = delete;

    bool CreateSolidBrush(ColorRef colour);
    bool IsCreated() const { return m_created; }
    ColorRef Colour() const { return m_colour; }
    // The system's brush object, for the backend.
    intptr_t Handle() const { return m_handle; }

private:
    ColorRef m_colour = 0;
    bool m_created = false;
    intptr_t m_handle = 0;
};

// A device context, as the program draws through one: the text background colour, and icons.
class CDC {
public:
    explicit CDC(intptr_t handle) : m_handle(handle) {}
    virtual ~CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // Sets the background colour behind text; returns the one before.
    ColorRef SetBkColor(ColorRef colour);
    ColorRef GetBkColor() const { return m_bkColour; }
    bool DrawIcon(int x, int y, IconHandle icon);
    intptr_t Handle() const { return m_handle; }

protected:
    intptr_t m_handle;
    ColorRef m_bkColour = MakeColorRef(0xFF, 0xFF, 0xFF);
};

// The device context for painting a window, valid while the paint handler runs.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CDialog& dialog);
    ~CPaintDC() override;

private:
    CDialog& m_dialog;
};

class CDialog {
public:
    explicit CDialog(const DialogTemplate& dialogTemplate, CDialog* parent = nullptr);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Creates the window and its controls, binds them, runs OnInitDialog, then shows the
    // dialog and serves events until EndDialog; returns the result EndDialog was given.
    int DoModal();
    // The same without the modal run: creates, initialises and shows the dialog, and returns.
    // Events are then served by whatever loop runs (tests drive it this way).
    void Create();
    void EndDialog(int result);

    const DialogTemplate& Template() const { return m_template; }
    // The window itself and its controls; null before the window exists.
    WindowHandle GetSafeHwnd() const;
    WindowHandle GetDlgItem(int id) const;
    int GetDlgCtrlID(WindowHandle control) const;  // -1 for none
    // The control that has the keyboard focus, also when it has been disabled since.
    WindowHandle GetFocus() const;
    // The window's system menu, or null when it has none the program may extend.
    CMenu* GetSystemMenu();
    // Sets the window's big or small icon.
    void SetIcon(IconHandle icon, bool big);
    bool IsIconic() const;
    Size GetClientSize() const;
    // While `reason` is given, the system names it as what keeps the session from ending
    // (Windows shows it at logout and shutdown); nullptr withdraws it. Safe from any thread.
    // Elsewhere the desktop is asked ahead of time instead, and this does nothing.
    void SetShutdownBlockReason(const char* reason);
    // Sends a system command to the dialog and returns once it has been handled.
    void SendSysCommand(uint32_t command, intptr_t param = 0);
    // Asks the window to erase its background as a minimised window's icon background.
    void SendIconEraseBackground(CDC& dc);

    // Runs `fn` on the dialog's thread and returns once it has run: at once when called
    // there, otherwise served by whatever event loop runs there (nested modal ones too),
    // in the order the calls were made. Safe from any thread.
    void Send(const std::function<void()>& fn);
    // The default beep, sounded on the dialog's thread like every other update a worker
    // makes. Safe from any thread.
    void MessageBeep(uint32_t type);
    // Serves what is waiting for the dialog's thread (input, paints, Send calls) and
    // returns; for a wait that must keep the window alive.
    void ServePendingEvents();
    // The window can lose its display: the display server ends, another client closes the
    // window's connection or destroys the window. The toolkit would then end the process at
    // once, under any worker. Instead OnDisplayLost is asked on the dialog's thread first,
    // ahead of everything else the end of the process runs, and the process then ends with
    // its answer, running nothing more. A dialog without a parent is watched from when it is
    // created or run; call this again when a worker starts, so that nothing the program made
    // since goes ahead of the dialog either. Where nothing ends a program whose display goes
    // (Windows), it does nothing.
    void WatchDisplayLoss();

    // What the control wrappers do on the dialog's thread.
    void EnableControl(WindowHandle control, bool enable);
    bool IsControlEnabled(WindowHandle control) const;
    void SetControlText(WindowHandle control, const std::string& text);
    std::string GetControlText(WindowHandle control) const;
    void SetProgressRange(WindowHandle control, int lower, int upper);
    void SetProgressPos(WindowHandle control, int position);
    int GetProgressPos(WindowHandle control) const;

protected:
    virtual void DoDataExchange() {}
    // True: the first enabled tab stop gets the focus.
    virtual bool OnInitDialog();
    // Every queued key message for the dialog or one of its controls, before it is
    // dispatched. True when consumed. The default is DefaultPreTranslate.
    virtual bool PreTranslateMessage(const KeyMessage& message);
    // The standard dialog keys: Tab and Shift+Tab over enabled tab stops, arrows within the
    // focused control's group, Escape cancels, Enter presses the focused or default button.
    bool DefaultPreTranslate(const KeyMessage& message);
    // A click on a push button.
    virtual void OnCommand(int id);
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // Close from the title bar, Alt+F4 or the window manager arrives as SC_CLOSE; the
    // default handles it and every other system command as the platform does.
    virtual void OnSysCommand(uint32_t command, intptr_t param);
    // A brush for a control's background, or null for the default answer.
    virtual const CBrush* OnCtlColor(CDC& dc, WindowHandle control, int kind);
    // Painting. The default paints the window as the platform does.
    virtual void OnPaint();
    // The icon shown while the minimised window is dragged, or null for the default.
    virtual IconHandle OnQueryDragIcon() { return nullptr; }
    // A logout or shutdown asks each window first (Windows): false keeps the session going.
    virtual bool OnQueryEndSession() { return true; }
    // What came of it: `ending` false when something kept the session going after all.
    virtual void OnEndSession(bool /*ending*/) {}
    // The window has lost its display (WatchDisplayLoss): nothing on screen can be shown or
    // served any more. From now on Send runs nothing and returns at once, so a worker waiting
    // on the window goes on; no control may be touched. Returns the process's exit status.
    // The default ends with 1, as the toolkit would.
    virtual int OnDisplayLost() { return 1; }

private:
    friend class DialogWindow;
    friend class CPaintDC;
    friend DialogWindow* AsDialogWindow(const CDialog& dialog);  // the backend's own

    const DialogTemplate& m_template;
    CDialog* const m_parent;
    std::unique_ptr<DialogWindow> m_window;
};

}  // namespace tern::platform
