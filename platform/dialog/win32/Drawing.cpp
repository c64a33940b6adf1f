// Menus, brushes, device contexts and icons on Win32: the system's own objects.
#include "platform/dialog/Dialog.h"
#include "platform/dialog/win32/DialogWindow.h"

namespace tern::platform {

bool CMenu::AppendMenu(uint32_t flags, uintptr_t id, const char* text) {
    return ::AppendMenu(reinterpret_cast<HMENU>(m_handle), flags, id, text) != FALSE;
}

CBrush::~CBrush() {
    if (m_handle) {
        DeleteObject(reinterpret_cast<HBRUSH>(m_handle));
    }
}

bool CBrush::CreateSolidBrush(ColorRef colour) {
    const HBRUSH brush = ::CreateSolidBrush(colour);
    if (!brush) {
        return false;
    }
    if (m_handle) {
        DeleteObject(reinterpret_cast<HBRUSH>(m_handle));
    }
    m_handle = reinterpret_cast<intptr_t>(brush);
    m_colour = colour;
    m_created = true;
    return true;
}

ColorRef CDC::SetBkColor(ColorRef colour) {
    const ColorRef before = m_bkColour;
    m_bkColour = colour;
    if (m_handle) {
        ::SetBkColor(reinterpret_cast<HDC>(m_handle), colour);
    }
    return before;
}

bool CDC::DrawIcon(int x, int y, IconHandle icon) {
    return m_handle && icon && ::DrawIcon(reinterpret_cast<HDC>(m_handle), x, y, AsHicon(icon));
}

CPaintDC::CPaintDC(CDialog& dialog)
    : CDC(reinterpret_cast<intptr_t>(
          BeginPaint(AsDialogWindow(dialog)->Hwnd(), &AsDialogWindow(dialog)->Paint()))),
      m_dialog(dialog) {}

CPaintDC::~CPaintDC() {
    EndPaint(AsDialogWindow(m_dialog)->Hwnd(), &AsDialogWindow(m_dialog)->Paint());
}

IconHandle LoadIconResource(int id) {
    // The system keeps icons it loads from resources until the process ends.
    return reinterpret_cast<IconHandle>(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id)));
}

Size SystemIconSize() {
    return {GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON)};
}

}  // namespace tern::platform
