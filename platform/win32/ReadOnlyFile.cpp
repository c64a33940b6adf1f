#include "platform/ReadOnlyFile.h"

#include <windows.h>

namespace tern::platform {
namespace {

HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// Windows tells a missing file (in a folder that exists) from a missing folder itself.
FileOpenResult FromOpenError(DWORD error, const std::string& path) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
            return FileOpenResult::NotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DIRECTORY:
            return FileOpenResult::PathNotFound;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
            return FileOpenResult::InvalidName;
        case ERROR_FILENAME_EXCED_RANGE:
            return FileOpenResult::NameTooLong;
        case ERROR_ACCESS_DENIED: {
            // Also what opening a folder as a file gives.
            const DWORD attributes = GetFileAttributesA(path.c_str());
            return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
                       ? FileOpenResult::IsDirectory
                       : FileOpenResult::AccessDenied;
        }
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return FileOpenResult::InUse;
        case ERROR_TOO_MANY_OPEN_FILES:
            return FileOpenResult::TooManyOpenFiles;
        default:
            return FileOpenResult::OtherError;
    }
}

}  // namespace

FileOpenResult ReadOnlyFile::Open(const std::string& path) {
    Close();
    if (path.empty() || path.find('\0') != std::string::npos) {
        return FileOpenResult::InvalidName;
    }
    // Share mode 0: no other opener, reader or writer, while we hold it.
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return FromOpenError(GetLastError(), path);
    }
    // A device such as CON or NUL, or a pipe, has no fixed length to read.
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        return FileOpenResult::NotRegularFile;
    }
    m_handle = reinterpret_cast<std::intptr_t>(file);
    return FileOpenResult::Ok;
}

std::optional<uint64_t> ReadOnlyFile::Length() const {
    LARGE_INTEGER size{};
    if (!IsOpen() || !GetFileSizeEx(AsHandle(m_handle), &size) || size.QuadPart < 0) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(size.QuadPart);
}

std::optional<size_t> ReadOnlyFile::Read(void* buffer, size_t size) {
    if (!IsOpen()) {
        return std::nullopt;
    }
    // One request; callers read files whose length fits in 32 bits.
    const DWORD asked = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
    DWORD got = 0;
    if (!ReadFile(AsHandle(m_handle), buffer, asked, &got, nullptr)) {
        return std::nullopt;
    }
    return static_cast<size_t>(got);
}

void ReadOnlyFile::Close() {
    if (IsOpen()) {
        CloseHandle(AsHandle(m_handle));
        m_handle = kNoHandle;
    }
}

}  // namespace tern::platform
