// The sleep inhibitor on Linux: a logind "block" inhibitor lock, taken over the system bus
// with sd-bus. logind keeps the lock while any copy of the file descriptor it returns stays
// open, so the bus connection is closed at once and only the descriptor is kept.
#include "platform/SleepInhibitor.h"

#include <fcntl.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>

namespace tern::platform {

namespace {

constexpr char kLogindService[] = "org.freedesktop.login1";
constexpr char kLogindPath[] = "/org/freedesktop/login1";
constexpr char kLogindManager[] = "org.freedesktop.login1.Manager";
// A shutdown or reboot asked for mid-transfer waits for it too, as a suspend does.
constexpr char kInhibitWhat[] = "shutdown:sleep:idle";
constexpr char kInhibitMode[] = "block";

// Keeps a reason on one short line whatever a peer put in its error message.
constexpr std::size_t kReasonMaxChars = 160;

constexpr uint64_t kUsecPerMs = 1000;

std::string OneLine(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20) {
            c = ' ';
        }
    }
    if (text.size() > kReasonMaxChars) {
        text.resize(kReasonMaxChars - 3);
        text += "...";
    }
    return text;
}

std::string ErrnoText(int error) {
    char buffer[128];
    // The GNU strerror_r returns the text, not always in the buffer.
    return strerror_r(error, buffer, sizeof buffer);
}

std::string OpenFailure(int error) {
    if (error == ENOENT || error == ECONNREFUSED || error == ENOTDIR) {
        return "no system bus";
    }
    return OneLine("cannot reach the system bus: " + ErrnoText(error));
}

// Where the Inhibit reply lands; filled by OnReply inside sd_bus_process on this thread.
struct Reply {
    bool arrived = false;
    int fd = -1;
    std::string reason;
};

int OnReply(sd_bus_message* message, void* userdata, sd_bus_error* /*ret_error*/) {
    Reply& reply = *static_cast<Reply*>(userdata);
    reply.arrived = true;
    if (sd_bus_message_is_method_error(message, nullptr)) {
        const sd_bus_error* error = sd_bus_message_get_error(message);
        if (sd_bus_error_has_names(error, SD_BUS_ERROR_SERVICE_UNKNOWN,
                                   SD_BUS_ERROR_NAME_HAS_NO_OWNER)) {
            reply.reason = "logind is not running";
        } else {
            reply.reason = OneLine(std::string(error->name ? error->name : "D-Bus error") + ": " +
                                   (error->message ? error->message : ""));
        }
        return 0;
    }
    int fd = -1;
    const int r = sd_bus_message_read(message, "h", &fd);
    if (r < 0) {
        reply.reason = OneLine("unexpected answer from logind: " + ErrnoText(-r));
        return 0;
    }
    // The message owns its descriptor and closes it when freed.
    reply.fd = fcntl(fd, F_DUPFD_CLOEXEC, 3);
    if (reply.fd < 0) {
        reply.reason = OneLine("cannot keep the inhibitor: " + ErrnoText(errno));
    }
    return 0;
}

// Sends Inhibit and serves the connection until the reply or the deadline. sd_bus_call is not
// used: its timeout starts only once authentication is over, and a peer that never completes
// authentication would hold it for sd-bus's own, much longer, limit.
Reply CallInhibit(sd_bus* bus, const std::string& who, const std::string& why,
                  std::chrono::steady_clock::time_point deadline) {
    Reply reply;
    sd_bus_message* call = nullptr;
    int r = sd_bus_message_new_method_call(bus, &call, kLogindService, kLogindPath, kLogindManager,
                                           "Inhibit");
    if (r >= 0) {
        r = sd_bus_message_append(call, "ssss", kInhibitWhat, who.c_str(), why.c_str(),
                                  kInhibitMode);
    }
    sd_bus_slot* slot = nullptr;
    if (r >= 0) {
        r = sd_bus_call_async(bus, &slot, call, OnReply, &reply,
                              static_cast<uint64_t>(kSleepInhibitTimeoutMs) * kUsecPerMs);
    }
    sd_bus_message_unref(call);
    if (r < 0) {
        reply.reason = OneLine("cannot call logind: " + ErrnoText(-r));
        return reply;
    }
    while (!reply.arrived) {
        r = sd_bus_process(bus, nullptr);
        if (reply.arrived) {
            break;
        }
        if (r < 0) {
            reply.reason = OneLine("the system bus failed: " + ErrnoText(-r));
            break;
        }
        if (r > 0) {
            continue;
        }
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            reply.reason = "the system bus did not answer in time";
            break;
        }
        r = sd_bus_wait(bus, static_cast<uint64_t>(left.count()));
        if (r < 0 && r != -EINTR) {
            reply.reason = OneLine("the system bus failed: " + ErrnoText(-r));
            break;
        }
    }
    sd_bus_slot_unref(slot);
    return reply;
}

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
        return {false, OpenFailure(-r)};
    }
    Reply reply = CallInhibit(bus, who, why, deadline);
    // No flush: flushing waits for a peer that may never answer.
    sd_bus_close_unref(bus);
    if (reply.fd < 0) {
        return {false, reply.reason};
    }
    m_token = reply.fd;
    return {true, {}};
}

void SleepInhibitor::Release() noexcept {
    if (m_token >= 0) {
        close(m_token);
        m_token = -1;
    }
}

}  // namespace tern::platform
