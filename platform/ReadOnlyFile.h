// Exclusive read-only file access: the update file is opened without sharing, so no other
// cooperating opener can hold it while it is read, and every open failure is told apart.
// Linux: open(2) with an exclusive, non-blocking flock; Windows: CreateFileA with share mode 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tern::platform {

enum class FileOpenResult {
    Ok,
    NotFound,      // the file is missing from a folder that exists
    PathNotFound,  // a folder on the path is missing or is not a folder
    InvalidName,   // empty path, or a path the system cannot take
    NameTooLong,
    AccessDenied,
    InUse,  // another opener holds the file locked
    IsDirectory,
    NotRegularFile,    // a device, pipe or socket: no fixed length to read
    TooManyOpenFiles,  // the process's or the system's limit of open files is reached
    OtherError,
};

const char* Describe(FileOpenResult result);

class ReadOnlyFile {
public:
    ReadOnlyFile() = default;
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Opens `path` for reading and shares it with no other opener; refuses directories and
    // anything that is not a regular file. Closes a file opened before.
    FileOpenResult Open(const std::string& path);
    bool IsOpen() const { return m_handle != kNoHandle; }

    // The file's length in bytes, or nothing when it cannot be found out.
    std::optional<uint64_t> Length() const;

    // One read request for up to `size` bytes from the current position. Returns the number
    // of bytes read (fewer at the end of the file), or nothing on a read error.
    std::optional<size_t> Read(void* buffer, size_t size);

    // Releases the lock and the descriptor; harmless when nothing is open.
    void Close();

private:
    // A descriptor on Linux, a HANDLE on Windows; both backends use -1 for none.
    static constexpr std::intptr_t kNoHandle = -1;
    std::intptr_t m_handle = kNoHandle;
};

}  // namespace tern::platform
