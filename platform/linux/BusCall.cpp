#include "platform/linux/BusCall.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace tern::platform::bus {
namespace {

constexpr std::size_t kReasonMaxChars = 160;

struct Reply {
    bool arrived = false;
    std::string reason;
    const char* serviceName = "";
    const std::function<std::string(sd_bus_message*)>* read = nullptr;
};

int OnReply(sd_bus_message* message, void* userdata, sd_bus_error* /*ret_error*/) {
    Reply& reply = *static_cast<Reply*>(userdata);
    reply.arrived = true;
    if (sd_bus_message_is_method_error(message, nullptr)) {
        const sd_bus_error* error = sd_bus_message_get_error(message);
        if (sd_bus_error_has_names(error, SD_BUS_ERROR_SERVICE_UNKNOWN,
                                   SD_BUS_ERROR_NAME_HAS_NO_OWNER)) {
            reply.reason = std::string(reply.serviceName) + " is not running";
        } else {
            reply.reason = OneLine(std::string(error->name ? error->name : "D-Bus error") + ": " +
                                   (error->message ? error->message : ""));
        }
        return 0;
    }
    reply.reason = OneLine((*reply.read)(message));
    return 0;
}

}  // namespace

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

std::string OpenFailure(int error, const char* busName) {
    if (error == ENOENT || error == ECONNREFUSED || error == ENOTDIR) {
        return std::string("no ") + busName;
    }
    return OneLine(std::string("cannot reach the ") + busName + ": " + ErrnoText(error));
}

std::string CallUntil(sd_bus* bus, sd_bus_message* call, Deadline deadline, const char* serviceName,
                      const std::function<std::string(sd_bus_message*)>& read) {
    Reply reply;
    reply.serviceName = serviceName;
    reply.read = &read;
    const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
        deadline - std::chrono::steady_clock::now());
    sd_bus_slot* slot = nullptr;
    int r = sd_bus_call_async(bus, &slot, call, OnReply, &reply,
                              static_cast<uint64_t>(left.count() > 0 ? left.count() : 1));
    if (r < 0) {
        return OneLine(std::string("cannot call ") + serviceName + ": " + ErrnoText(-r));
    }
    while (!reply.arrived) {
        r = sd_bus_process(bus, nullptr);
        if (reply.arrived) {
            break;
        }
        if (r < 0) {
            reply.reason = OneLine("the bus failed: " + ErrnoText(-r));
            break;
        }
        if (r > 0) {
            continue;
        }
        const auto wait = std::chrono::duration_cast<std::chrono::microseconds>(
            deadline - std::chrono::steady_clock::now());
        if (wait.count() <= 0) {
            reply.reason = std::string(serviceName) + " did not answer in time";
            break;
        }
        r = sd_bus_wait(bus, static_cast<uint64_t>(wait.count()));
        if (r < 0 && r != -EINTR) {
            reply.reason = OneLine("the bus failed: " + ErrnoText(-r));
            break;
        }
    }
    sd_bus_slot_unref(slot);
    return reply.reason;
}

}  // namespace tern::platform::bus
