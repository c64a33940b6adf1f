// The system's window headers, first in every unit that uses the dialog interface: they
// define generic names (SetWindowText, AppendMenu, LoadString...) as macros, and every unit
// must see the same names, whether it implements a wrapper or calls it.
#pragma once

#include <windows.h>
