// The logout inhibitor on Linux: org.freedesktop.portal.Inhibit over the session bus.
#include "platform/LogoutInhibitor.h"

#include <chrono>
#include <cstdint>

#include "platform/linux/BusCall.h"

namespace tern::platform {
namespace {

constexpr char kPortalService[] = "org.freedesktop.portal.Desktop";
constexpr char kPortalPath[] = "/org/freedesktop/portal/desktop";
constexpr char kInhibitInterface[] = "org.freedesktop.portal.Inhibit";
constexpr char kRequestInterface[] = "org.freedesktop.portal.Request";
// The portal's flags: logout 1, user switch 2, suspend 4, idle 8.
constexpr uint32_t kInhibitFlags = 1 | 4 | 8;

sd_bus* Bus(void* handle) {
    return static_cast<sd_bus*>(handle);
}

}  // namespace

LogoutInhibitor::~LogoutInhibitor() {
    Release();
}

SleepInhibitResult LogoutInhibitor::Take(const std::string& why) {
    if (Held()) {
        return {true, {}};
    }
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kSleepInhibitTimeoutMs);
    sd_bus* bus = nullptr;
    // Honours DBUS_SESSION_BUS_ADDRESS.
    if (const int r = sd_bus_open_user(&bus); r < 0) {
        return {false, bus::OpenFailure(-r, "session bus")};
    }
    sd_bus_message* call = nullptr;
    std::string handle;
    std::string reason;
    // No parent window: the portal's window identifier is empty for one it cannot name.
    if (sd_bus_message_new_method_call(bus, &call, kPortalService, kPortalPath, kInhibitInterface,
                                       "Inhibit") < 0 ||
        sd_bus_message_append(call, "su", "", kInhibitFlags) < 0 ||
        sd_bus_message_append(call, "a{sv}", 1, "reason", "s", why.c_str()) < 0) {
        reason = "cannot call the desktop portal";
    } else {
        reason = bus::CallUntil(
            bus, call, deadline, "the desktop portal", [&handle](sd_bus_message* reply) {
                const char* path = nullptr;
                if (const int r = sd_bus_message_read(reply, "o", &path); r < 0) {
                    return "unexpected answer from the desktop portal: " + bus::ErrnoText(-r);
                }
                handle = path;
                return std::string();
            });
    }
    sd_bus_message_unref(call);
    if (handle.empty()) {
        sd_bus_close_unref(bus);
        return {false, reason};
    }
    m_bus = bus;
    m_handle = handle;
    return {true, {}};
}

void LogoutInhibitor::Release() noexcept {
    if (!Held()) {
        return;
    }
    // Closing the request releases it; so does our leaving the bus, should the call not
    // reach the portal. Neither waits for an answer.
    sd_bus_message* call = nullptr;
    if (sd_bus_message_new_method_call(Bus(m_bus), &call, kPortalService, m_handle.c_str(),
                                       kRequestInterface, "Close") >= 0) {
        sd_bus_send(Bus(m_bus), call, nullptr);
        sd_bus_flush(Bus(m_bus));
    }
    sd_bus_message_unref(call);
    sd_bus_close_unref(Bus(m_bus));
    m_bus = nullptr;
    m_handle.clear();
}

}  // namespace tern::platform
