// One method call over sd-bus that never waits past a deadline, for the services a transfer
// asks for help (logind, the desktop portal, RealtimeKit). Each of them is optional: a failure
// comes back as a short reason on one line, never as a wait or an exception.
#pragma once

#include <systemd/sd-bus.h>

#include <chrono>
#include <functional>
#include <string>

namespace tern::platform::bus {

using Deadline = std::chrono::steady_clock::time_point;

// A reason fit for one short line whatever a peer put in its error message.
std::string OneLine(std::string text);
std::string ErrnoText(int error);
// Why a bus could not be opened: "no system bus" and the like for a missing socket.
std::string OpenFailure(int error, const char* busName);

// Sends `call` and serves `bus` until the reply or `deadline`. sd_bus_call is not used: its
// timeout starts only once authentication is over, and a peer that never completes
// authentication would hold it for sd-bus's own, much longer, limit. On a reply that is not
// an error `read` takes what it needs from it and says why not, or "". Returns "" when the
// call succeeded, else the reason ("`serviceName` is not running" when no one owns the name).
std::string CallUntil(sd_bus* bus, sd_bus_message* call, Deadline deadline, const char* serviceName,
                      const std::function<std::string(sd_bus_message*)>& read);

}  // namespace tern::platform::bus
