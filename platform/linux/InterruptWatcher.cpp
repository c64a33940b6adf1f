#include "platform/InterruptWatcher.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <new>
#include <string>
#include <system_error>
#include <thread>

namespace tern::platform {
namespace {

// Every signal that ends or stops a program by default and that a program may catch, each of
// which would cut a transfer off: the session's (SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGTSTP),
// other programs' and the system's (SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU,
// SIGXFSZ, SIGPWR, SIGSTKFLT, SIGIO, the real-time signals), the terminal's for a background
// job (SIGTTIN, SIGTTOU). While SIGTTOU is blocked the system lets a background job's output
// to its terminal through instead of stopping the job, and a background read fails instead.
// Left to their default: what no program can hold (SIGKILL, SIGSTOP); what reports the
// program's own fault (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS), which must
// end it where it went wrong; SIGPIPE, which the program ignores or leaves to the failing
// write's thread; and those that do nothing by default (SIGCHLD, SIGCONT, SIGURG, SIGWINCH),
// on which libraries rely.
sigset_t WatchedSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal :
         {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGTSTP, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF,
          SIGXCPU, SIGXFSZ, SIGPWR, SIGSTKFLT, SIGIO, SIGTTIN, SIGTTOU}) {
        sigaddset(&set, signal);
    }
    // As the C library gives them: it keeps the lowest few for its own threads.
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) {
        sigaddset(&set, signal);
    }
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
            // A handler that finds no memory for its words has still decided; nothing from
            // here may end the process in the middle of a transfer.
            try {
                handler(static_cast<int>(info.ssi_signo));
            } catch (const std::bad_alloc&) {
            }
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
    return signal == SIGTSTP || signal == SIGTTIN || signal == SIGTTOU;
}

std::string BackendSignalText(int signal) {
    if (signal >= SIGRTMIN && signal <= SIGRTMAX) {
        return "real-time signal SIGRTMIN+" + std::to_string(signal - SIGRTMIN);
    }
    switch (signal) {
        case SIGHUP:
            return "the terminal's hang-up (SIGHUP)";
        case SIGQUIT:
            return "Ctrl+\\ (SIGQUIT)";
        case SIGTSTP:
            return "Ctrl+Z (SIGTSTP)";
        case SIGUSR1:
            return "SIGUSR1";
        case SIGUSR2:
            return "SIGUSR2";
        case SIGALRM:
            return "a timer's alarm (SIGALRM)";
        case SIGVTALRM:
            return "a virtual timer's alarm (SIGVTALRM)";
        case SIGPROF:
            return "a profiling timer (SIGPROF)";
        case SIGXCPU:
            return "the CPU-time limit (SIGXCPU)";
        case SIGXFSZ:
            return "the file-size limit (SIGXFSZ)";
        case SIGPWR:
            return "a power failure warning (SIGPWR)";
        case SIGSTKFLT:
            return "SIGSTKFLT";
        case SIGIO:
            return "SIGIO";
        case SIGTTIN:
            return "terminal input from the background (SIGTTIN)";
        case SIGTTOU:
            return "terminal output from the background (SIGTTOU)";
        default:
            return {};
    }
}

}  // namespace tern::platform
