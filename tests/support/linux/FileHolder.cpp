#include "tests/support/FileHolder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tern::test {

FileHolder::FileHolder(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0) {
        m_handle = fd;
    } else if (fd >= 0) {
        ::close(fd);
    }
}

FileHolder::~FileHolder() {
    Release();
}

void FileHolder::Release() {
    if (m_handle != -1) {
        ::close(static_cast<int>(m_handle));
        m_handle = -1;
    }
}

}  // namespace tern::test
