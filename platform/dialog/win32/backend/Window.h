// The system's window headers, first in every unit that uses the dialog interface: they
// define generic names (SetWindowText, AppendMenu, LoadString...) and the flags of the common
// dialogs as macros, and every unit must see the same names, whether it implements a wrapper
// or calls it.
#pragma once

#include <windows.h>

#include <commdlg.h>

// The names the dialog interface defines itself (platform/Window.h, platform/KeyMessage.h),
// with the same values: as macros they would turn every use of them, qualified or not, into a
// bare number.
#undef IDOK
#undef IDCANCEL
#undef SC_CLOSE
#undef CTLCOLOR_EDIT
#undef CTLCOLOR_STATIC
#undef MF_STRING
#undef MF_SEPARATOR
#undef OFN_HIDEREADONLY
#undef OFN_FILEMUSTEXIST
#undef OFN_SHAREAWARE
#undef MB_OK
#undef MB_ICONEXCLAMATION
#undef VK_TAB
#undef VK_RETURN
#undef VK_SHIFT
#undef VK_CONTROL
#undef VK_MENU
#undef VK_ESCAPE
#undef VK_SPACE
#undef VK_HOME
#undef VK_LEFT
#undef VK_UP
#undef VK_RIGHT
#undef VK_DOWN
#undef VK_DELETE
#undef VK_F1
