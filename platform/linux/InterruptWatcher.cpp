#include "platform/InterruptWatcher.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <system_error>
#include <thread>

namespace tern::platform {
namespace {

sigset_t WatchedSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGHUP);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGQUIT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGTSTP);
    return set;
}

void CloseIfOpen(int& fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

}  // namespace

struct InterruptWatcher::State {
    explicit State(Handler h) : handler(std::move(h)) {}
    void Run();

    Handler handler;
    int signalFd = -1;
    int stopFd = -1;
    std::thread thread;
};

void InterruptWatcher::State::Run() {
    pollfd watched[2] = {{signalFd, POLLIN, 0}, {stopFd, POLLIN, 0}};
    for (;;) {
        if (poll(watched, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (watched[1].revents != 0) {
            return;
        }
        signalfd_siginfo info;
        if (watched[0].revents != 0 && read(signalFd, &info, sizeof info) == sizeof info) {
            handler(static_cast<int>(info.ssi_signo));
        }
    }
}

InterruptWatcher::InterruptWatcher(Handler handler)
    : m_state(std::make_unique<State>(std::move(handler))) {
    State& s = *m_state;
    const sigset_t set = WatchedSignals();
    sigset_t previous;
    if (pthread_sigmask(SIG_BLOCK, &set, &previous) != 0) {
        return;
    }
    s.signalFd = signalfd(-1, &set, SFD_CLOEXEC);
    s.stopFd = eventfd(0, EFD_CLOEXEC);
    if (s.signalFd >= 0 && s.stopFd >= 0) {
        try {
            s.thread = std::thread([&s] { s.Run(); });
            return;
        } catch (const std::system_error&) {
        }
    }
    CloseIfOpen(s.signalFd);
    CloseIfOpen(s.stopFd);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

InterruptWatcher::~InterruptWatcher() {
    State& s = *m_state;
    if (s.thread.joinable()) {
        const uint64_t one = 1;
        while (write(s.stopFd, &one, sizeof one) < 0 && errno == EINTR) {
        }
        s.thread.join();
    }
    CloseIfOpen(s.signalFd);
    CloseIfOpen(s.stopFd);
}

bool InterruptWatcher::Active() const {
    return m_state->thread.joinable();
}

void InterruptWatcher::HoldEndingRequests(bool /*hold*/) {}

bool IsJobStop(int signal) {
    return signal == SIGTSTP;
}

const char* BackendSignalText(int signal) {
    switch (signal) {
        case SIGHUP:
            return "the terminal's hang-up (SIGHUP)";
        case SIGQUIT:
            return "Ctrl+\\ (SIGQUIT)";
        case SIGTSTP:
            return "Ctrl+Z (SIGTSTP)";
        default:
            return nullptr;
    }
}

}  // namespace tern::platform
