// Asks the desktop not to log out (nor to suspend or go idle) while a transfer runs: a logout
// mid-transfer ends the program and leaves the device half-programmed. On Linux it is the
// desktop portal's Inhibit on the session bus, as desktops' own firmware tools ask; the
// portal holds it while our connection to the bus stays open, so the connection is kept until
// Release. On Windows the window answers the end-session query itself, and there is nothing
// to take here.
//
// Failing to inhibit is not a reason to stop an installation; the result only says why.
// Nothing here throws or prints. One object holds at most one inhibitor, from one thread.
#pragma once

#include <string>

#include "platform/SleepInhibitor.h"

namespace tern::platform {

class LogoutInhibitor {
public:
    LogoutInhibitor() = default;
    ~LogoutInhibitor();
    LogoutInhibitor(const LogoutInhibitor&) = delete;
    LogoutInhibitor& operator=(const LogoutInhibitor&) = delete;

    // Waits at most kSleepInhibitTimeoutMs for the desktop to answer. `why` is shown to the
    // person who tries to log out.
    SleepInhibitResult Take(const std::string& why);
    void Release() noexcept;
    bool Held() const noexcept { return m_bus != nullptr; }

private:
    void* m_bus = nullptr;  // the backend's connection, held open while the inhibitor is
    std::string m_handle;   // the portal's request object, closed to release
};

}  // namespace tern::platform
