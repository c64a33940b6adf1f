#include "platform/ExecutableName.h"

#include <windows.h>

#include <filesystem>

namespace tern::platform {

std::string ExecutableBaseName() {
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) {
        return "tern-update";
    }
    return std::filesystem::path(std::wstring(path, length)).stem().string();
}

}  // namespace tern::platform
