#include "tests/support/linux/TerminalChild.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace tern::test {
namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// The child's side, between fork and exec: only calls that are safe there.
[[noreturn]] void BecomeProgram(int slave, const char* program, char* const argv[]) {
    // No signal blocked, as a shell starts a program, whatever a watcher of the test blocks.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    setsid();
    ioctl(slave, TIOCSCTTY, 0);
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        dup2(slave, fd);
    }
    if (slave > STDERR_FILENO) {
        close(slave);
    }
    execv(program, argv);
    _exit(127);
}

}  // namespace

TerminalChild::TerminalChild(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    int slave = -1;
    if (openpty(&m_master, &slave, nullptr, nullptr, nullptr) != 0) {
        m_master = -1;
        return;
    }
    fcntl(m_master, F_SETFD, FD_CLOEXEC);
    // Flow control as a terminal starts with it, whatever this system's default is.
    termios settings{};
    if (tcgetattr(slave, &settings) == 0) {
        settings.c_iflag |= IXON;
        settings.c_iflag &= ~static_cast<tcflag_t>(IXANY);
        tcsetattr(slave, TCSANOW, &settings);
    }
    m_pid = fork();
    if (m_pid == 0) {
        close(m_master);
        BecomeProgram(slave, program.c_str(), argv.data());
    }
    close(slave);  // the terminal closes when the program's last descriptor of it does
}

TerminalChild::~TerminalChild() {
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    if (m_master >= 0) {
        close(m_master);
    }
}

bool TerminalChild::ReadSome(std::chrono::milliseconds limit) {
    if (m_master < 0 || m_closed) {
        return false;
    }
    pollfd watched{m_master, POLLIN, 0};
    const int ready = poll(&watched, 1, static_cast<int>(limit.count()));
    if (ready <= 0) {
        return ready == 0 || errno == EINTR;  // nothing yet
    }
    char buffer[4096];
    ssize_t n;
    do {
        n = read(m_master, buffer, sizeof buffer);
    } while (n < 0 && errno == EINTR);
    if (n > 0) {
        m_screen.append(buffer, static_cast<size_t>(n));
        return true;
    }
    m_closed = true;  // EIO: no descriptor of the terminal's other side is left open
    return false;
}

bool TerminalChild::WaitForOutput(const std::string& text, std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (m_screen.find(text) == std::string::npos) {
        if (Clock::now() >= end || !ReadSome(std::chrono::milliseconds(MillisecondsLeft(end)))) {
            return false;
        }
    }
    return true;
}

bool TerminalChild::Type(std::string_view keys) {
    while (!keys.empty() && m_master >= 0) {
        const ssize_t n = write(m_master, keys.data(), keys.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        keys.remove_prefix(static_cast<size_t>(n));
    }
    return keys.empty();
}

void TerminalChild::Signal(int signal) {
    if (m_pid > 0) {
        kill(m_pid, signal);
    }
}

void TerminalChild::HangUp() {
    if (m_master >= 0) {
        close(m_master);
        m_master = -1;
    }
    m_closed = true;
}

void TerminalChild::Reap(int raw) {
    m_pid = -1;
    m_status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

bool TerminalChild::Running() {
    int raw = 0;
    if (m_pid > 0 && waitpid(m_pid, &raw, WNOHANG) == m_pid) {
        Reap(raw);
    }
    return m_pid > 0;
}

int TerminalChild::Finish(std::chrono::milliseconds limit) {
    const auto end = Clock::now() + limit;
    while (!m_closed && Clock::now() < end) {
        ReadSome(std::chrono::milliseconds(MillisecondsLeft(end)));
    }
    while (Running() && Clock::now() < end) {
        usleep(10000);
    }
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
        return -1;
    }
    return m_status;
}

}  // namespace tern::test
