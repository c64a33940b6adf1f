// Keeps the machine awake while firmware goes out: a laptop that suspends mid-transfer leaves
// the device half-programmed.
//
// Who calls it, and where: the installation worker (the dialog's installation run, the main
// thread of tern-flash install) calls Take() before the first write and Release() after the
// last write, whatever the outcome. Never call it on the transfer thread once the play has
// started: Take() talks to another process and may wait up to kSleepInhibitTimeoutMs.
//
// Failing to inhibit sleep is not a reason to stop an installation; the result only says why,
// so that a front end can tell the user in one line. Nothing here throws or prints.
//
// One object holds at most one inhibitor; it is used from one thread at a time.
#pragma once

#include <string>

namespace tern::platform {

// The longest Take() waits for the system to answer, in milliseconds, from the call to its
// return: a bus that accepts the connection and never answers costs this much and no more.
inline constexpr int kSleepInhibitTimeoutMs = 1500;

// The name under which the program shows in the system's list of inhibitors.
inline constexpr char kSleepInhibitorWho[] = "Tern Update Program";
// What it is doing meanwhile, as both front ends say it.
inline constexpr char kSleepInhibitorWhy[] = "Installing firmware into the Ostrel";

struct SleepInhibitResult {
    bool held = false;
    // Empty when held; otherwise a short reason fit for one line on a terminal, for example
    // "no system bus" or "logind is not running".
    std::string reason;
};

class SleepInhibitor {
public:
    SleepInhibitor() = default;
    // Releases the inhibitor if it is still held.
    ~SleepInhibitor();
    SleepInhibitor(const SleepInhibitor&) = delete;
    SleepInhibitor& operator=(const SleepInhibitor&) = delete;

    // Asks the system to block shutdown, sleep and idle suspend until Release(). `who` names the
    // program (kSleepInhibitorWho), `why` says what it is doing ("Installing firmware into
    // the Ostrel"). While an inhibitor is held, a further call takes no second one and
    // reports it held.
    SleepInhibitResult Take(const std::string& who, const std::string& why);

    // Lets the machine sleep again. Harmless when nothing is held.
    void Release() noexcept;

    bool Held() const noexcept { return m_token >= 0; }

private:
    // What the backend holds the inhibitor by; on Linux the inhibitor's file descriptor.
    int m_token = -1;
};

}  // namespace tern::platform
