// What the dialog interface names of a window system, without naming any: handles to windows
// and icons that only the backend can look into, colours, sizes, and the values of the
// messages and flags the program was written against.
#pragma once

// First: the system's own window headers where the platform has them.
#include "backend/Window.h"

#include <cstdint>

namespace tern::platform {

// A window or control. The backend's own object stands behind it (a widget, an HWND); code
// above the platform only compares handles and hands them back.
struct WindowObject;
using WindowHandle = WindowObject*;

// An icon loaded from the program's resources; lives until the process ends.
struct IconObject;
using IconHandle = const IconObject*;

// A colour as 0x00BBGGRR.
using ColorRef = uint32_t;
constexpr ColorRef MakeColorRef(uint8_t red, uint8_t green, uint8_t blue) {
    return static_cast<ColorRef>(red) | (static_cast<ColorRef>(green) << 8) |
           (static_cast<ColorRef>(blue) << 16);
}

struct Size {
    int cx;
    int cy;
};

// The values of the messages and flags the program was written against. The Windows headers
// define the same names as macros with the same values; the Win32 backend's window header
// removes those macros, so that these are the names on every platform.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr uint32_t SC_CLOSE = 0xF060;
constexpr int CTLCOLOR_EDIT = 1;
constexpr int CTLCOLOR_STATIC = 6;
constexpr uint32_t MF_STRING = 0x0;
constexpr uint32_t MF_SEPARATOR = 0x800;
constexpr uint32_t OFN_HIDEREADONLY = 0x4;
constexpr uint32_t OFN_FILEMUSTEXIST = 0x1000;
constexpr uint32_t OFN_SHAREAWARE = 0x4000;
constexpr uint32_t MB_OK = 0x0;
constexpr uint32_t MB_ICONEXCLAMATION = 0x30;

// The icon with resource id `id` (null when there is none), at the system's icon size.
IconHandle LoadIconResource(int id);

// The size the system draws icons at (its "system icon" metrics).
Size SystemIconSize();

}  // namespace tern::platform
