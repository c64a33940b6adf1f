#include "platform/linux/NamedLock.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

namespace tern::platform {
namespace {

constexpr size_t kMaxRequestBytes = 4096;

// The abstract namespace: a leading NUL, no file on disk, gone with the last descriptor.
socklen_t AbstractAddress(const std::string& name, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    const size_t length = std::min(name.size(), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, name.data(), length);
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
}

bool WaitReadable(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    int ready;
    do {
        ready = poll(&p, 1, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready > 0;
}

}  // namespace

NamedLock::~NamedLock() {
    Release();
}

bool NamedLock::TryAcquire(const std::string& name) {
    Release();
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    sockaddr_un address;
    const socklen_t length = AbstractAddress(name, address);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 || listen(fd, 4) != 0) {
        close(fd);  // EADDRINUSE: someone holds it
        return false;
    }
    m_fd = fd;
    return true;
}

void NamedLock::Release() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
}

bool NamedLock::SendToHolder(const std::string& name, const std::string& line) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    sockaddr_un address;
    const socklen_t length = AbstractAddress(name, address);
    bool sent = connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0;
    const std::string message = line + "\n";
    size_t done = 0;
    while (sent && done < message.size()) {
        const ssize_t n = send(fd, message.data() + done, message.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        sent = n > 0;
        done += sent ? static_cast<size_t>(n) : 0;
    }
    close(fd);
    return sent;
}

std::optional<std::string> NamedLock::AcceptRequest(int timeoutMs) const {
    if (m_fd < 0 || !WaitReadable(m_fd, timeoutMs)) {
        return std::nullopt;
    }
    const int connection = accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) {
        return std::nullopt;
    }
    std::string request;
    char buffer[256];
    while (request.size() < kMaxRequestBytes && request.find('\n') == std::string::npos &&
           WaitReadable(connection, timeoutMs)) {
        const ssize_t n = read(connection, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        request.append(buffer, static_cast<size_t>(n));
    }
    close(connection);
    const size_t newline = request.find('\n');
    if (newline == std::string::npos) {
        return std::nullopt;
    }
    return request.substr(0, newline);
}

}  // namespace tern::platform
