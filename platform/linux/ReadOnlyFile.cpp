#include "platform/ReadOnlyFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tern::platform {
namespace {

// POSIX answers ENOENT both for a missing file and for a missing folder on its path; the
// two are told apart by whether the folder that would hold the file exists.
bool ParentFolderExists(const std::string& path) {
    const auto slash = path.find_last_of('/');
    std::string parent;
    if (slash == std::string::npos) {
        parent = ".";
    } else if (slash == 0) {
        parent = "/";
    } else {
        parent = path.substr(0, slash);
    }
    struct stat st {};
    return stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

FileOpenResult FromOpenErrno(int error, const std::string& path) {
    switch (error) {
        case ENOENT:
            return ParentFolderExists(path) ? FileOpenResult::NotFound
                                            : FileOpenResult::PathNotFound;
        case ENOTDIR:
            return FileOpenResult::PathNotFound;
        case ENAMETOOLONG:
            return FileOpenResult::NameTooLong;
        case EACCES:
        case EPERM:
            return FileOpenResult::AccessDenied;
        case EISDIR:
            return FileOpenResult::IsDirectory;
        case ETXTBSY:
        case EBUSY:
            return FileOpenResult::InUse;
        case EMFILE:
        case ENFILE:
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
    int fd;
    do {
        // Non-blocking so that opening a FIFO cannot hang waiting for a writer.
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return FromOpenErrno(errno, path);
    }
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        ::close(fd);
        return FileOpenResult::OtherError;
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        return FileOpenResult::IsDirectory;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return FileOpenResult::NotRegularFile;
    }
    int locked;
    do {
        locked = flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const int error = errno;
        ::close(fd);
        return error == EWOULDBLOCK ? FileOpenResult::InUse : FileOpenResult::OtherError;
    }
    m_handle = fd;
    return FileOpenResult::Ok;
}

std::optional<uint64_t> ReadOnlyFile::Length() const {
    struct stat st {};
    if (!IsOpen() || fstat(static_cast<int>(m_handle), &st) != 0 || st.st_size < 0) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(st.st_size);
}

std::optional<size_t> ReadOnlyFile::Read(void* buffer, size_t size) {
    if (!IsOpen()) {
        return std::nullopt;
    }
    // The kernel caps one read() below 2 GiB and may return early; keep asking until the
    // request is filled or the file ends, so callers see one request.
    auto* out = static_cast<unsigned char*>(buffer);
    size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(static_cast<int>(m_handle), out + done, size - done);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        done += static_cast<size_t>(got);
    }
    return done;
}

void ReadOnlyFile::Close() {
    if (IsOpen()) {
        ::close(static_cast<int>(m_handle));  // closing the last descriptor drops the flock as well
        m_handle = kNoHandle;
    }
}

}  // namespace tern::platform
