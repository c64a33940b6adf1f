#include "cli/SignalWatcher.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

namespace tern::cli {
namespace {

sigset_t WatchedSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

void CloseIfOpen(int& fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

}  // namespace

SignalWatcher::SignalWatcher(InterruptGate& gate) : m_gate(gate) {
    const sigset_t set = WatchedSignals();
    sigset_t previous;
    if (pthread_sigmask(SIG_BLOCK, &set, &previous) != 0) {
        return;
    }
    m_signalFd = signalfd(-1, &set, SFD_CLOEXEC);
    m_stopFd = eventfd(0, EFD_CLOEXEC);
    if (m_signalFd >= 0 && m_stopFd >= 0) {
        try {
            m_thread = std::thread([this] { Run(); });
            return;
        } catch (const std::system_error&) {
        }
    }
    CloseIfOpen(m_signalFd);
    CloseIfOpen(m_stopFd);
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

SignalWatcher::~SignalWatcher() {
    if (m_thread.joinable()) {
        const uint64_t one = 1;
        while (write(m_stopFd, &one, sizeof one) < 0 && errno == EINTR) {
        }
        m_thread.join();
    }
    CloseIfOpen(m_signalFd);
    CloseIfOpen(m_stopFd);
}

void SignalWatcher::Run() {
    pollfd watched[2] = {{m_signalFd, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
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
        if (watched[0].revents != 0 && read(m_signalFd, &info, sizeof info) == sizeof info) {
            m_gate.Interrupt(static_cast<int>(info.ssi_signo));
        }
    }
}

}  // namespace tern::cli
