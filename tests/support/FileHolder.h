// Another opener holding a file for itself, as another program might while the update file
// is chosen: on Linux an exclusive flock on its own descriptor, on Windows a handle opened
// with no sharing. Released when the object goes.
#pragma once

#include <cstdint>
#include <string>

namespace tern::test {

class FileHolder {
public:
    explicit FileHolder(const std::string& path);
    ~FileHolder();
    FileHolder(const FileHolder&) = delete;
    FileHolder& operator=(const FileHolder&) = delete;

    bool Holding() const { return m_handle != -1; }
    void Release();

private:
    std::intptr_t m_handle = -1;  // a descriptor on Linux, a HANDLE on Windows
};

}  // namespace tern::test
