// The sleep inhibitor against real daemons: a private dbus-daemon posing as the system bus,
// with python3-dbusmock's logind on it, a bus without logind, nothing at the address, and a
// peer that accepts and never answers.
#include "platform/SleepInhibitor.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/TempDir.h"
#include "tests/support/linux/MockLogind.h"

namespace tern::platform {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

using test::BusClient;
using test::MockLogind;
using test::PrivateBus;
using test::SystemBusAddress;

// Failing takes at most the bound; the margin is for a shared, loaded machine.
constexpr milliseconds kFailLimit{kSleepInhibitTimeoutMs + 6000};
constexpr char kWhy[] = "Installing firmware into the Ostrel";

std::size_t OpenFdCount() {
    std::error_code error;
    const auto fds = std::filesystem::directory_iterator("/proc/self/fd", error);
    return static_cast<std::size_t>(std::distance(fds, std::filesystem::directory_iterator()));
}

TEST(SleepInhibitorTest, HoldsOneSleepIdleBlockUntilReleasedOrDestroyed) {
    test::TempDir dir;
    PrivateBus bus(dir);
    MockLogind logind(dir, bus);
    BusClient& mock = logind.Client();
    const std::size_t fdsBefore = OpenFdCount();
    {
        SleepInhibitor inhibitor;
        const SleepInhibitResult taken = inhibitor.Take(kSleepInhibitorWho, kWhy);
        EXPECT_TRUE(taken.held) << taken.reason;
        EXPECT_EQ(taken.reason, "");
        EXPECT_TRUE(inhibitor.Held());
        // Taking it again while held asks logind for nothing more.
        EXPECT_TRUE(inhibitor.Take(kSleepInhibitorWho, kWhy).held);
        const std::vector<std::vector<std::string>> expected{
            {"shutdown:sleep:idle", kSleepInhibitorWho, kWhy, "block"}};
        EXPECT_EQ(mock.InhibitCalls(), expected);
        const std::vector<test::Inhibitor> held{{"shutdown:sleep:idle", kSleepInhibitorWho, kWhy, "block"}};
        EXPECT_EQ(mock.ListInhibitors(), held);

        // logind drops the inhibitor only when every copy of its descriptor is closed.
        inhibitor.Release();
        EXPECT_FALSE(inhibitor.Held());
        EXPECT_TRUE(mock.AwaitInhibitorCount(0));
        inhibitor.Release();
        // Nothing of the bus connection stays open either.
        EXPECT_EQ(OpenFdCount(), fdsBefore);

        EXPECT_TRUE(inhibitor.Take(kSleepInhibitorWho, kWhy).held);
        EXPECT_EQ(mock.InhibitCalls().size(), 2u);
        EXPECT_TRUE(mock.AwaitInhibitorCount(1));
    }
    EXPECT_TRUE(mock.AwaitInhibitorCount(0));
    EXPECT_EQ(OpenFdCount(), fdsBefore);
}

// Accepts every connection and reads what comes, answering nothing.
class SilentPeer {
public:
    explicit SilentPeer(const std::string& path) {
        m_listen = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        EXPECT_EQ(bind(m_listen, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(listen(m_listen, 8), 0);
        EXPECT_EQ(pipe2(m_stop, O_CLOEXEC), 0);
        m_thread = std::thread([this] { Serve(); });
    }
    ~SilentPeer() {
        const char bye = 0;
        EXPECT_EQ(write(m_stop[1], &bye, 1), 1);
        m_thread.join();
        close(m_listen);
        close(m_stop[0]);
        close(m_stop[1]);
    }
    SilentPeer(const SilentPeer&) = delete;
    SilentPeer& operator=(const SilentPeer&) = delete;

    int Accepted() const { return m_accepted.load(); }

private:
    void Serve() {
        std::vector<pollfd> fds{{m_stop[0], POLLIN, 0}, {m_listen, POLLIN, 0}};
        while (poll(fds.data(), fds.size(), -1) >= 0 && !(fds[0].revents & POLLIN)) {
            if (fds[1].revents & POLLIN) {
                const int peer = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
                if (peer >= 0) {
                    fds.push_back({peer, POLLIN, 0});
                    ++m_accepted;
                }
            }
            for (std::size_t i = 2; i < fds.size(); ++i) {
                char discard[512];
                if ((fds[i].revents & (POLLIN | POLLHUP)) &&
                    read(fds[i].fd, discard, sizeof discard) <= 0) {
                    close(fds[i].fd);
                    fds[i].fd = -1;  // poll skips it from now on
                }
            }
        }
        for (std::size_t i = 2; i < fds.size(); ++i) {
            if (fds[i].fd >= 0) {
                close(fds[i].fd);
            }
        }
    }

    int m_listen = -1;
    int m_stop[2] = {-1, -1};
    std::atomic<int> m_accepted{0};
    std::thread m_thread;
};

// What stands at the system bus address. Arranging it returns the check to run after Take();
// the check owns the daemons, so they live until it has run.
struct Unreachable {
    const char* name;
    std::function<std::function<void()>(const test::TempDir&)> arrange;
    const char* reason;
};

void PrintTo(const Unreachable& param, std::ostream* out) {
    *out << param.name;
}

class SleepInhibitorUnavailableTest : public ::testing::TestWithParam<Unreachable> {};

TEST_P(SleepInhibitorUnavailableTest, IsNotHeldAndSaysWhyWithinTheBound) {
    test::TempDir dir;
    const std::function<void()> check = GetParam().arrange(dir);
    if (HasFailure()) {
        return;
    }
    SleepInhibitor inhibitor;
    const auto start = Clock::now();
    const SleepInhibitResult result = inhibitor.Take(kSleepInhibitorWho, kWhy);
    const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    EXPECT_FALSE(result.held);
    EXPECT_FALSE(inhibitor.Held());
    EXPECT_NE(result.reason.find(GetParam().reason), std::string::npos) << result.reason;
    EXPECT_EQ(result.reason.find('\n'), std::string::npos) << result.reason;
    EXPECT_LT(took, kFailLimit);
    check();
}

std::vector<Unreachable> UnreachableCases() {
    return {
        {"NothingListening",
         [](const test::TempDir& dir) -> std::function<void()> {
             auto env = std::make_shared<SystemBusAddress>("unix:path=" + dir.PathOf("none"));
             return [env] {};
         },
         "no system bus"},
        {"BusWithoutLogind",
         [](const test::TempDir& dir) -> std::function<void()> {
             auto bus = std::make_shared<PrivateBus>(dir);
             return [bus] {};
         },
         "logind is not running"},
        {"LogindAnswersWithAnError",
         [](const test::TempDir& dir) -> std::function<void()> {
             auto bus = std::make_shared<PrivateBus>(dir);
             auto logind = std::make_shared<MockLogind>(dir, *bus);
             logind->Client().MakeInhibitFail(
                 "raise dbus.exceptions.DBusException('Permission denied', "
                 "name='org.freedesktop.DBus.Error.AccessDenied')");
             return [bus, logind] {
                 EXPECT_EQ(logind->Client().InhibitCalls().size(), 1u);
                 EXPECT_EQ(logind->Client().ListInhibitors().size(), 0u);
             };
         },
         "org.freedesktop.DBus.Error.AccessDenied: Permission denied"},
        {"PeerThatNeverAnswers",
         [](const test::TempDir& dir) -> std::function<void()> {
             auto env = std::make_shared<SystemBusAddress>("unix:path=" + dir.PathOf("silent"));
             auto peer = std::make_shared<SilentPeer>(dir.PathOf("silent"));
             return [env, peer] { EXPECT_EQ(peer->Accepted(), 1); };
         },
         "did not answer"},
    };
}

INSTANTIATE_TEST_SUITE_P(Cases, SleepInhibitorUnavailableTest,
                         ::testing::ValuesIn(UnreachableCases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tern::platform
