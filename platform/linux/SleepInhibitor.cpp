// The sleep inhibitor on Linux: a logind "block" inhibitor lock, taken over the system bus
// with sd-bus. logind keeps the lock while any copy of the file descriptor it returns stays
// open, so the bus connection is closed at once and only the descriptor is kept.
#include "platform/SleepInhibitor.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/linux/BusCall.h"

namespace tern::platform {

namespace {

constexpr char kLogindService[] = "org.freedesktop.login1";
constexpr char kLogindPath[] = "/org/freedesktop/login1";
constexpr char kLogindManager[] = "org.freedesktop.login1.Manager";
// A shutdown or reboot asked for mid-transfer waits for it too, as a suspend does.
constexpr char kInhibitWhat[] = "shutdown:sleep:idle";
constexpr char kInhibitMode[] = "block";

}  // namespace

SleepInhibitor::~SleepInhibitor() {
    Release();
}

SleepInhibitResult SleepInhibitor::Take(const std::string& who, const std::string& why) {
    if (Held()) {
        return {true, {}};
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kSleepInhibitTimeoutMs);
    sd_bus* bus = nullptr;
    // Honours DBUS_SYSTEM_BUS_ADDRESS; a local socket connects or fails at once.
    const int r = sd_bus_open_system(&bus);
    if (r < 0) {
        return {false, bus::OpenFailure(-r, "system bus")};
    }
    sd_bus_message* call = nullptr;
    int fd = -1;
    std::string reason;
    if (sd_bus_message_new_method_call(bus, &call, kLogindService, kLogindPath, kLogindManager,
                                       "Inhibit") < 0 ||
        sd_bus_message_append(call, "ssss", kInhibitWhat, who.c_str(), why.c_str(), kInhibitMode) <
            0) {
        reason = "cannot call logind";
    } else {
        reason = bus::CallUntil(bus, call, deadline, "logind", [&fd](sd_bus_message* reply) {
            int borrowed = -1;
            if (const int rr = sd_bus_message_read(reply, "h", &borrowed); rr < 0) {
                return "unexpected answer from logind: " + bus::ErrnoText(-rr);
            }
            // The message owns its descriptor and closes it when freed.
            fd = fcntl(borrowed, F_DUPFD_CLOEXEC, 3);
            return fd < 0 ? "cannot keep the inhibitor: " + bus::ErrnoText(errno) : std::string();
        });
    }
    sd_bus_message_unref(call);
    // No flush: flushing waits for a peer that may never answer.
    sd_bus_close_unref(bus);
    if (fd < 0) {
        return {false, reason};
    }
    m_token = fd;
    return {true, {}};
}

void SleepInhibitor::Release() noexcept {
    if (m_token >= 0) {
        close(m_token);
        m_token = -1;
    }
}

}  // namespace tern::platform
