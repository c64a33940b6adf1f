// A lock known by name across processes, freed by the operating system when its holder ends
// however it ends: an abstract-namespace local socket bound to the name. Whoever holds it can
// also take requests from others that find the name taken.
#pragma once

#include <optional>
#include <string>

namespace tern::platform {

class NamedLock {
public:
    NamedLock() = default;
    ~NamedLock();
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;

    // True when this process now holds `name`; false when another process holds it (or the
    // system refuses a socket). Holding a lock already, it is released first.
    bool TryAcquire(const std::string& name);
    bool Held() const { return m_fd >= 0; }
    void Release();

    // The listening descriptor of a held lock, for the holder to accept requests on.
    int ListeningDescriptor() const { return m_fd; }

    // Sends one line to the holder of `name`; false when nobody holds it.
    static bool SendToHolder(const std::string& name, const std::string& line);
    // Reads one request line from a connection accepted on ListeningDescriptor(), waiting at
    // most `timeoutMs`.
    std::optional<std::string> AcceptRequest(int timeoutMs) const;

private:
    int m_fd = -1;
};

}  // namespace tern::platform
