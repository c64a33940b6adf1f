#include "platform/LibrarySearch.h"

#include <windows.h>

namespace tern::platform {

bool RestrictLibrarySearch() {
    // Looked up rather than imported: a Windows 7 without the loader update would otherwise
    // refuse to start the program with the loader's own message, which says nothing of why.
    // kernel32 is loaded in every process, so asking for it loads nothing.
    using SetDefaultFn = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const auto setDefault = kernel ? reinterpret_cast<SetDefaultFn>(reinterpret_cast<void*>(
                                         GetProcAddress(kernel, "SetDefaultDllDirectories")))
                                   : nullptr;
    if (!setDefault ||
        !setDefault(LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return false;
    }
    // A load that asks for the older search order by its flags still skips the current folder.
    return SetDllDirectoryW(L"") != 0;
}

}  // namespace tern::platform
