// A stand-in for the machine's login manager, for tests of the sleep inhibitor: a private
// dbus-daemon posing as the system bus, python3-dbusmock's logind on it, and the test's own
// client to ask the mock what it has seen. Each daemon is killed when its object goes, or
// with the test process if that dies first; objects are made and dropped on one thread.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/TempDir.h"

struct sd_bus;
struct sd_bus_message;

namespace tern::test {

// Starting Python with GLib on a loaded machine can take several seconds.
inline constexpr std::chrono::milliseconds kDaemonStartLimit{30000};

inline constexpr char kSystemBusVariable[] = "DBUS_SYSTEM_BUS_ADDRESS";
inline constexpr char kSessionBusVariable[] = "DBUS_SESSION_BUS_ADDRESS";

// Points this process's system bus (or the bus `variable` names), and that of the programs it
// starts, at `address` for the object's lifetime.
class SystemBusAddress {
public:
    explicit SystemBusAddress(const std::string& address,
                              const char* variable = kSystemBusVariable);
    ~SystemBusAddress();
    SystemBusAddress(const SystemBusAddress&) = delete;
    SystemBusAddress& operator=(const SystemBusAddress&) = delete;

private:
    const char* m_variable;
    bool m_had = false;
    std::string m_old;
};

// A program started with `args` (its full path first), stdout discarded, stderr in `errPath`.
// The kernel kills it when the thread that made it ends, so make it on the test's thread.
class Daemon {
public:
    Daemon(std::vector<std::string> args, const std::string& errPath);
    ~Daemon();
    Daemon(const Daemon&) = delete;
    Daemon& operator=(const Daemon&) = delete;

    bool Running();
    std::string Err() const;

private:
    pid_t m_pid = -1;
    std::string m_errPath;
};

// A private dbus-daemon with its socket in `dir`, this process's system bus while it lives.
// A daemon that does not start is a test failure.
class PrivateBus {
public:
    explicit PrivateBus(const TempDir& dir);
    const std::string& Address() const { return m_address; }

private:
    std::string m_socket;
    std::string m_address;
    SystemBusAddress m_env;
    Daemon m_daemon;
};

// One entry of logind's ListInhibitors.
struct Inhibitor {
    std::string what;
    std::string who;
    std::string why;
    std::string mode;
    bool operator==(const Inhibitor&) const = default;
};
void PrintTo(const Inhibitor& inhibitor, std::ostream* out);

// The test's connection to the bus. A query that gets no answer is a test failure.
class BusClient {
public:
    explicit BusClient(const std::string& address);
    ~BusClient();
    BusClient(const BusClient&) = delete;
    BusClient& operator=(const BusClient&) = delete;

    bool HasOwner(const char* name);
    // The arguments of every Inhibit call the mock logind has logged, in order.
    std::vector<std::vector<std::string>> InhibitCalls();
    // The inhibitors the mock logind holds.
    std::vector<Inhibitor> ListInhibitors();
    // The mock drops an inhibitor a moment after its last descriptor is closed: waits at most
    // `limit` for it to hold `count`.
    bool AwaitInhibitorCount(std::size_t count,
                             std::chrono::milliseconds limit = kDaemonStartLimit);
    // Makes the mock's Inhibit run `python` (for example a raise) instead of taking a lock.
    bool MakeInhibitFail(const std::string& python);

private:
    sd_bus_message* CallLogind(const char* interface, const char* member, const char* arg);

    sd_bus* m_bus = nullptr;
};

// python3-dbusmock posing as one service, `name` with one object `path` and `interface`, on
// `bus` (which is also this process's session bus while the object lives, for a service of
// the session). A mock that does not come up is a test failure.
class DbusMock {
public:
    enum class Bus { System, Session };
    DbusMock(const TempDir& dir, const PrivateBus& bus, Bus which, const char* name,
             const char* path, const char* interface);
    ~DbusMock();
    DbusMock(const DbusMock&) = delete;
    DbusMock& operator=(const DbusMock&) = delete;

    // Gives the object's `method` the mock's Python `code` (it sets `ret` for a result).
    void AddMethod(const char* method, const char* in, const char* out, const char* code);
    // The calls to `method` of the object at `path`, each as its reply message's a(tav) entry,
    // handed to `read` with the message placed on the entry's arguments (av).
    void ForEachCall(const char* path, const char* method,
                     const std::function<void(sd_bus_message*)>& read);

private:
    std::optional<SystemBusAddress> m_env;
    Daemon m_daemon;
    const char* m_name;
    const char* m_path;
    const char* m_interface;
    sd_bus* m_bus = nullptr;
};

// The desktop portal's Inhibit. Each Inhibit hands out a request object of its own, which a
// Close releases.
class MockPortal {
public:
    MockPortal(const TempDir& dir, const PrivateBus& bus);
    // The flags of each Inhibit call, in order.
    std::vector<uint32_t> InhibitFlags();
    // How many times the request object of the `n`th Inhibit call (from 1) was closed.
    std::size_t Closes(std::size_t n);

private:
    DbusMock m_mock;
};

// RealtimeKit on the system bus, granting whatever it is asked.
class MockRealtimeKit {
public:
    MockRealtimeKit(const TempDir& dir, const PrivateBus& bus);
    // Each MakeThreadHighPriority call: the thread and the nice level asked for.
    std::vector<std::pair<uint64_t, int32_t>> HighPriorityCalls();

private:
    DbusMock m_mock;
};

// python3-dbusmock's logind on `bus`, logging its calls in `dir`. A mock that does not come
// up is a test failure.
class MockLogind {
public:
    MockLogind(const TempDir& dir, const PrivateBus& bus);
    BusClient& Client() { return m_client; }

private:
    Daemon m_daemon;
    BusClient m_client;
};

}  // namespace tern::test
