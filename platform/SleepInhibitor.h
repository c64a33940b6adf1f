// Keeps the system from sleeping while a firmware transfer runs: a device whose transfer is
// cut off by suspend is left with part of its firmware.
//
// Windows: SetThreadExecutionState, whose request belongs to the calling thread. Acquire and
// Release on a thread that lives for the whole transfer and is not the transfer thread: the
// installation worker's starter, or tern-flash's main thread before it starts the transfer
// thread. The request also ends when that thread ends.
#pragma once

#include <cstdint>
#include <string>

namespace tern::platform {

class SleepInhibitor {
public:
    struct Result {
        bool held;           // the system will not sleep until Release
        std::string reason;  // why not, when not held
    };

    SleepInhibitor() = default;
    SleepInhibitor(const SleepInhibitor&) = delete;
    SleepInhibitor& operator=(const SleepInhibitor&) = delete;

    // `who` names the program and `why` the reason, where the system shows them. Acquiring
    // while held changes nothing.
    Result Acquire(const char* who, const char* why);
    void Release();
    ~SleepInhibitor();

private:
    bool m_held = false;
    std::intptr_t m_token = 0;  // the backend's: the requesting thread on Windows
};

}  // namespace tern::platform
