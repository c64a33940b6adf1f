#include "tests/support/FileHolder.h"

#include <windows.h>

namespace tern::test {

FileHolder::FileHolder(const std::string& path) {
    // Even a reader that shares reading keeps out one that shares nothing.
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        m_handle = reinterpret_cast<std::intptr_t>(file);
    }
}

FileHolder::~FileHolder() {
    Release();
}

void FileHolder::Release() {
    if (m_handle != -1) {
        CloseHandle(reinterpret_cast<HANDLE>(m_handle));
        m_handle = -1;
    }
}

}  // namespace tern::test
