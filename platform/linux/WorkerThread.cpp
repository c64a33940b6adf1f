#include "platform/WorkerThread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>

#include "platform/SleepInhibitor.h"
#include "platform/linux/BusCall.h"

namespace tern::platform {
namespace {

constexpr int kHighestNice = -10;

constexpr char kRealtimeKitService[] = "org.freedesktop.RealtimeKit1";
constexpr char kRealtimeKitPath[] = "/org/freedesktop/RealtimeKit1";
constexpr char kRealtimeKitInterface[] = "org.freedesktop.RealtimeKit1";

// Without the right to raise its own priority, a person's thread asks RealtimeKit, which may
// lower its nice level on its behalf. Only a nice level: RealtimeKit ends a real-time thread
// that runs past its budget, and a transfer's busy wait would. Best effort: without the
// service the thread keeps the priority it has.
void AskRealtimeKit(pid_t tid, int nice) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kSleepInhibitTimeoutMs);
    sd_bus* bus = nullptr;
    if (sd_bus_open_system(&bus) < 0) {
        return;
    }
    sd_bus_message* call = nullptr;
    if (sd_bus_message_new_method_call(bus, &call, kRealtimeKitService, kRealtimeKitPath,
                                       kRealtimeKitInterface, "MakeThreadHighPriority") >= 0 &&
        sd_bus_message_append(call, "ti", static_cast<uint64_t>(tid),
                              static_cast<int32_t>(nice)) >= 0) {
        bus::CallUntil(bus, call, deadline, "RealtimeKit",
                       [](sd_bus_message*) { return std::string(); });
    }
    sd_bus_message_unref(call);
    sd_bus_close_unref(bus);
}

}  // namespace

void ApplyThreadPriority(ThreadPriority priority) {
    if (priority == ThreadPriority::Highest) {
        // Per-thread on Linux; only a privileged process may lower its own nice level.
        const auto tid = static_cast<pid_t>(syscall(SYS_gettid));
        if (setpriority(PRIO_PROCESS, static_cast<id_t>(tid), kHighestNice) != 0 &&
            (errno == EACCES || errno == EPERM)) {
            AskRealtimeKit(tid, kHighestNice);
        }
    }
}

}  // namespace tern::platform
