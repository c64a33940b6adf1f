#include "Capture.h"

#include <cerrno>
#include <cstring>

namespace corvo_sim {

Capture::~Capture() {
    if (m_file) {
        std::fclose(m_file);
    }
}

bool Capture::Open(const std::string& path, std::string& problem) {
    m_file = OpenForAppending(path);
    if (!m_file) {
        problem = "cannot open capture file " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void Capture::Record(uint64_t entryMicroseconds, uint32_t count, bool failed, const uint8_t* bytes,
                     uint32_t shown) {
    if (!m_file) {
        return;
    }
    static constexpr char kHex[] = "0123456789abcdef";
    m_line =
        std::to_string(entryMicroseconds) + ' ' + std::to_string(count) + (failed ? "! " : " ");
    for (uint32_t i = 0; i < shown; ++i) {
        m_line += kHex[bytes[i] >> 4];
        m_line += kHex[bytes[i] & 0x0F];
    }
    m_line += '\n';
    std::fwrite(m_line.data(), 1, m_line.size(), m_file);
    std::fflush(m_file);
}

}  // namespace corvo_sim
