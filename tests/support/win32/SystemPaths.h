// Paths in the system's own form, for the tests that hand them to Windows programs.
#pragma once

#include <windows.h>

#include <string>

namespace tern::test {

// `path` made absolute in the system's form ("Z:\..." for a Linux path under Wine).
inline std::string FullPath(const std::string& path) {
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return length == 0 || length >= MAX_PATH ? path : std::string(full, length);
}

// A program of the system's folder, such as regsvr32.exe or msiexec.exe.
inline std::string SystemProgram(const char* name) {
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder, length) + "\\" + name;
}

}  // namespace tern::test
