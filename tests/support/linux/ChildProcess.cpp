#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <thread>

namespace tern::test {
namespace {

pid_t Pid(std::intptr_t process) {
    return static_cast<pid_t>(process);
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::string& errPath)
    : m_errPath(errPath) {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    int out[2];
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (err < 0 || pipe(out) != 0) {
        return;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        // A program starts with no signal blocked, as a shell starts it, whatever a watcher
        // of this test process blocks.
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        dup2(out[1], STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    m_process = pid;
    close(out[1]);
    close(err);
    m_output = out[0];
}

ChildProcess::~ChildProcess() {
    if (m_process > 0) {
        kill(Pid(m_process), SIGKILL);
        waitpid(Pid(m_process), nullptr, 0);
    }
    if (m_output >= 0) {
        close(static_cast<int>(m_output));
    }
}

bool ChildProcess::ReadSome() {
    char buffer[4096];
    ssize_t n;
    do {
        n = m_output >= 0 ? read(static_cast<int>(m_output), buffer, sizeof buffer) : 0;
    } while (n < 0 && errno == EINTR);
    if (n > 0) {
        m_out.append(buffer, static_cast<size_t>(n));
    }
    return n > 0;
}

bool ChildProcess::WaitForOutput(const std::string& text) {
    while (m_out.find(text) == std::string::npos) {
        if (!ReadSome()) {
            return false;
        }
    }
    return true;
}

void ChildProcess::Signal(int signal) {
    if (m_process > 0) {
        kill(Pid(m_process), signal);
    }
}

int ChildProcess::Reaped(int raw) {
    m_process = -1;
    std::ostringstream err;
    err << std::ifstream(m_errPath).rdbuf();
    m_err = err.str();
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

int ChildProcess::Finish() {
    while (ReadSome()) {
    }
    int raw = 0;
    if (m_process <= 0 || waitpid(Pid(m_process), &raw, 0) != Pid(m_process)) {
        return -1;
    }
    return Reaped(raw);
}

int ChildProcess::WaitExit(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (m_process > 0) {
        int raw = 0;
        if (waitpid(Pid(m_process), &raw, WNOHANG) == Pid(m_process)) {
            return Reaped(raw);
        }
        if (std::chrono::steady_clock::now() >= end) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return -1;
}

}  // namespace tern::test
