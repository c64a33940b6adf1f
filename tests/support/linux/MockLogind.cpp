#include "tests/support/linux/MockLogind.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <ostream>
#include <sstream>
#include <thread>

#include "tests/support/linux/SocketPeers.h"

namespace tern::test {
namespace {

constexpr char kDbusDaemon[] = "/usr/bin/dbus-daemon";
constexpr char kLogindName[] = "org.freedesktop.login1";
constexpr char kLogindPath[] = "/org/freedesktop/login1";
constexpr char kRealtimeKitName[] = "org.freedesktop.RealtimeKit1";
constexpr char kRealtimeKitPath[] = "/org/freedesktop/RealtimeKit1";
constexpr char kPortalName[] = "org.freedesktop.portal.Desktop";
constexpr char kPortalPath[] = "/org/freedesktop/portal/desktop";
// Each call's request object is named after the number of calls so far.
constexpr char kPortalInhibit[] =
    "path = '/org/freedesktop/portal/desktop/request/1/t%d' % len(self.GetMethodCalls('Inhibit'))\n"
    "self.AddObject(path, 'org.freedesktop.portal.Request', {}, [('Close', '', '', '')])\n"
    "ret = dbus.ObjectPath(path)\n";
constexpr std::chrono::milliseconds kPollPause{20};

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(kPollPause);
    }
    return true;
}

// The daemon has bound its socket some time before it listens on it.
bool Connects(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool ok = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return ok;
}

std::string WriteBusConfig(const TempDir& dir, const std::string& address) {
    const std::string path = dir.PathOf("bus.conf");
    std::ofstream(path) << "<busconfig>\n"
                           "  <type>system</type>\n"
                           "  <listen>"
                        << address
                        << "</listen>\n"
                           "  <auth>EXTERNAL</auth>\n"
                           "  <policy context=\"default\">\n"
                           // Another user's program may connect too, as to the real one.
                           "    <allow user=\"*\"/>\n"
                           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                           "    <allow eavesdrop=\"true\"/>\n"
                           "    <allow own=\"*\"/>\n"
                           "  </policy>\n"
                           "</busconfig>\n";
    return path;
}

}  // namespace

SystemBusAddress::SystemBusAddress(const std::string& address, const char* variable)
    : m_variable(variable) {
    const char* old = getenv(m_variable);
    m_had = old != nullptr;
    m_old = old ? old : "";
    setenv(m_variable, address.c_str(), 1);
}

SystemBusAddress::~SystemBusAddress() {
    if (m_had) {
        setenv(m_variable, m_old.c_str(), 1);
    } else {
        unsetenv(m_variable);
    }
}

Daemon::Daemon(std::vector<std::string> args, const std::string& errPath) : m_errPath(errPath) {
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    const pid_t parent = getpid();
    m_pid = fork();
    if (m_pid == 0) {
        // Only async-signal-safe calls between fork and exec; no signal blocked, whatever a
        // watcher of the test process blocks.
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent) {
            _exit(126);  // the test process died before the request took effect
        }
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int null = open("/dev/null", O_WRONLY);
        dup2(err, STDERR_FILENO);
        dup2(null, STDOUT_FILENO);
        execv(argv[0], argv.data());
        _exit(127);
    }
    EXPECT_GT(m_pid, 0) << "cannot start " << args[0];
}

Daemon::~Daemon() {
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

bool Daemon::Running() {
    if (m_pid > 0 && waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
        m_pid = -1;  // reaped: its number may be reused
    }
    return m_pid > 0;
}

std::string Daemon::Err() const {
    std::ostringstream text;
    text << std::ifstream(m_errPath).rdbuf();
    return text.str();
}

PrivateBus::PrivateBus(const TempDir& dir)
    : m_socket(dir.PathOf("bus")),
      m_address("unix:path=" + m_socket),
      m_env(m_address),
      m_daemon({kDbusDaemon, "--nofork", "--config-file=" + WriteBusConfig(dir, m_address)},
               dir.PathOf("dbus-daemon.err")) {
    EXPECT_TRUE(
        WaitUntil([&] { return Connects(m_socket) || !m_daemon.Running(); }, kDaemonStartLimit) &&
        Connects(m_socket))
        << "dbus-daemon did not start: " << m_daemon.Err();
}

void PrintTo(const Inhibitor& inhibitor, std::ostream* out) {
    *out << "{" << inhibitor.what << ", " << inhibitor.who << ", " << inhibitor.why << ", "
         << inhibitor.mode << "}";
}

BusClient::BusClient(const std::string& address) {
    if (sd_bus_new(&m_bus) < 0 || sd_bus_set_address(m_bus, address.c_str()) < 0 ||
        sd_bus_set_bus_client(m_bus, 1) < 0 || sd_bus_start(m_bus) < 0) {
        ADD_FAILURE() << "cannot connect to the test bus at " << address;
    }
}

BusClient::~BusClient() {
    sd_bus_flush_close_unref(m_bus);
}

bool BusClient::HasOwner(const char* name) {
    sd_bus_message* reply = nullptr;
    int owned = 0;
    if (sd_bus_call_method(m_bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                           "org.freedesktop.DBus", "NameHasOwner", nullptr, &reply, "s",
                           name) >= 0) {
        sd_bus_message_read(reply, "b", &owned);
    }
    sd_bus_message_unref(reply);
    return owned != 0;
}

std::vector<std::vector<std::string>> BusClient::InhibitCalls() {
    std::vector<std::vector<std::string>> calls;
    sd_bus_message* reply = CallLogind("org.freedesktop.DBus.Mock", "GetMethodCalls", "Inhibit");
    if (reply && sd_bus_message_enter_container(reply, 'a', "(tav)") > 0) {
        while (sd_bus_message_enter_container(reply, 'r', "tav") > 0) {
            uint64_t when = 0;
            std::vector<std::string> args;
            sd_bus_message_read(reply, "t", &when);
            sd_bus_message_enter_container(reply, 'a', "v");
            while (sd_bus_message_enter_container(reply, 'v', "s") > 0) {
                const char* arg = nullptr;
                sd_bus_message_read(reply, "s", &arg);
                args.emplace_back(arg ? arg : "");
                sd_bus_message_exit_container(reply);
            }
            sd_bus_message_exit_container(reply);
            sd_bus_message_exit_container(reply);
            calls.push_back(args);
        }
    }
    sd_bus_message_unref(reply);
    return calls;
}

std::vector<Inhibitor> BusClient::ListInhibitors() {
    std::vector<Inhibitor> held;
    sd_bus_message* reply = CallLogind("org.freedesktop.login1.Manager", "ListInhibitors", nullptr);
    if (reply && sd_bus_message_enter_container(reply, 'a', "(ssssuu)") > 0) {
        const char* field[4] = {};
        uint32_t uid = 0;
        uint32_t pid = 0;
        while (sd_bus_message_read(reply, "(ssssuu)", &field[0], &field[1], &field[2], &field[3],
                                   &uid, &pid) > 0) {
            held.push_back({field[0], field[1], field[2], field[3]});
        }
    }
    sd_bus_message_unref(reply);
    return held;
}

bool BusClient::AwaitInhibitorCount(std::size_t count, std::chrono::milliseconds limit) {
    return WaitUntil([&] { return ListInhibitors().size() == count; }, limit);
}

bool BusClient::MakeInhibitFail(const std::string& python) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int r = sd_bus_call_method(
        m_bus, kLogindName, kLogindPath, "org.freedesktop.DBus.Mock", "AddMethod", &error, nullptr,
        "sssss", "org.freedesktop.login1.Manager", "Inhibit", "ssss", "h", python.c_str());
    EXPECT_GE(r, 0) << (error.message ? error.message : "");
    sd_bus_error_free(&error);
    return r >= 0;
}

sd_bus_message* BusClient::CallLogind(const char* interface, const char* member, const char* arg) {
    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int r = arg ? sd_bus_call_method(m_bus, kLogindName, kLogindPath, interface, member,
                                           &error, &reply, "s", arg)
                      : sd_bus_call_method(m_bus, kLogindName, kLogindPath, interface, member,
                                           &error, &reply, "");
    EXPECT_GE(r, 0) << member << ": " << (error.message ? error.message : "");
    sd_bus_error_free(&error);
    return r >= 0 ? reply : nullptr;
}

MockLogind::MockLogind(const TempDir& dir, const PrivateBus& bus)
    : m_daemon({kPython, "-m", "dbusmock", "--system", "--template", "logind", "-l",
                dir.PathOf("logind.log")},
               dir.PathOf("logind.err")),
      m_client(bus.Address()) {
    EXPECT_TRUE(WaitUntil([&] { return m_client.HasOwner(kLogindName) || !m_daemon.Running(); },
                          kDaemonStartLimit) &&
                m_client.HasOwner(kLogindName))
        << "the mock logind did not start: " << m_daemon.Err();
}

DbusMock::DbusMock(const TempDir& dir, const PrivateBus& bus, Bus which, const char* name,
                   const char* path, const char* interface)
    : m_daemon(
          [&] {
              if (which == Bus::Session) {
                  m_env.emplace(bus.Address(), kSessionBusVariable);
              }
              std::vector<std::string> args{kPython, "-m", "dbusmock"};
              if (which == Bus::System) {
                  args.push_back("--system");
              }
              args.insert(args.end(), {name, path, interface});
              return args;
          }(),
          dir.PathOf(std::string(name) + ".err")),
      m_name(name),
      m_path(path),
      m_interface(interface) {
    BusClient probe(bus.Address());
    const bool up =
        WaitUntil([&] { return probe.HasOwner(name) || !m_daemon.Running(); }, kDaemonStartLimit) &&
        probe.HasOwner(name);
    EXPECT_TRUE(up) << "the mock " << name << " did not start: " << m_daemon.Err();
    if (sd_bus_new(&m_bus) < 0 || sd_bus_set_address(m_bus, bus.Address().c_str()) < 0 ||
        sd_bus_set_bus_client(m_bus, 1) < 0 || sd_bus_start(m_bus) < 0) {
        ADD_FAILURE() << "cannot connect to the test bus";
    }
}

DbusMock::~DbusMock() {
    sd_bus_flush_close_unref(m_bus);
}

void DbusMock::AddMethod(const char* method, const char* in, const char* out, const char* code) {
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int r =
        sd_bus_call_method(m_bus, m_name, m_path, "org.freedesktop.DBus.Mock", "AddMethod", &error,
                           nullptr, "sssss", m_interface, method, in, out, code);
    EXPECT_GE(r, 0) << method << ": " << (error.message ? error.message : "");
    sd_bus_error_free(&error);
}

void DbusMock::ForEachCall(const char* path, const char* method,
                           const std::function<void(sd_bus_message*)>& read) {
    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    if (sd_bus_call_method(m_bus, m_name, path, "org.freedesktop.DBus.Mock", "GetMethodCalls",
                           &error, &reply, "s", method) < 0) {
        ADD_FAILURE() << path << " " << method << ": " << (error.message ? error.message : "");
        sd_bus_error_free(&error);
        return;
    }
    sd_bus_message_enter_container(reply, 'a', "(tav)");
    while (sd_bus_message_enter_container(reply, 'r', "tav") > 0) {
        uint64_t when = 0;
        sd_bus_message_read(reply, "t", &when);
        sd_bus_message_enter_container(reply, 'a', "v");
        read(reply);
        while (sd_bus_message_skip(reply, "v") > 0) {
        }
        sd_bus_message_exit_container(reply);
        sd_bus_message_exit_container(reply);
    }
    sd_bus_message_unref(reply);
}

MockPortal::MockPortal(const TempDir& dir, const PrivateBus& bus)
    : m_mock(dir, bus, DbusMock::Bus::Session, kPortalName, kPortalPath,
             "org.freedesktop.portal.Inhibit") {
    m_mock.AddMethod("Inhibit", "sua{sv}", "o", kPortalInhibit);
}

std::vector<uint32_t> MockPortal::InhibitFlags() {
    std::vector<uint32_t> flags;
    // The arguments: the window, the flags, the options.
    m_mock.ForEachCall(kPortalPath, "Inhibit", [&flags](sd_bus_message* args) {
        uint32_t value = 0;
        sd_bus_message_skip(args, "v");
        if (sd_bus_message_read(args, "v", "u", &value) >= 0) {
            flags.push_back(value);
        }
    });
    return flags;
}

std::size_t MockPortal::Closes(std::size_t n) {
    const std::string path = std::string(kPortalPath) + "/request/1/t" + std::to_string(n);
    std::size_t closes = 0;
    m_mock.ForEachCall(path.c_str(), "Close", [&closes](sd_bus_message*) { ++closes; });
    return closes;
}

MockRealtimeKit::MockRealtimeKit(const TempDir& dir, const PrivateBus& bus)
    : m_mock(dir, bus, DbusMock::Bus::System, kRealtimeKitName, kRealtimeKitPath,
             kRealtimeKitName) {
    m_mock.AddMethod("MakeThreadHighPriority", "ti", "", "");
}

std::vector<std::pair<uint64_t, int32_t>> MockRealtimeKit::HighPriorityCalls() {
    std::vector<std::pair<uint64_t, int32_t>> calls;
    m_mock.ForEachCall(kRealtimeKitPath, "MakeThreadHighPriority", [&calls](sd_bus_message* args) {
        uint64_t thread = 0;
        int32_t nice = 0;
        sd_bus_message_read(args, "v", "t", &thread);
        sd_bus_message_read(args, "v", "i", &nice);
        calls.emplace_back(thread, nice);
    });
    return calls;
}

}  // namespace tern::test
