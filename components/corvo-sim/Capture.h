// The write capture: one line per Write call, "<t_us> <n> <hex>", with "!" after n when
// the write failed; each line is flushed at once so a crash loses nothing written before.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace corvo_sim {

class Capture {
public:
    Capture() = default;
    ~Capture();
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    // Appends to `path`; false with `problem` set when the file cannot be opened.
    bool Open(const std::string& path, std::string& problem);
    bool IsOpen() const { return m_file != nullptr; }

    void Record(uint64_t entryMicroseconds, uint32_t count, bool failed, const uint8_t* bytes,
                uint32_t shown);

private:
    std::FILE* m_file = nullptr;
    std::string m_line;
};

// The platform's part (linux/, win32/).
// The monotonic clock in microseconds: CLOCK_MONOTONIC on Linux, the performance counter on
// Windows.
uint64_t MonotonicMicroseconds();
// Opens `path` to append bytes exactly as written (no line-end translation), not inherited
// by child processes; null with errno set on failure.
std::FILE* OpenForAppending(const std::string& path);

}  // namespace corvo_sim
