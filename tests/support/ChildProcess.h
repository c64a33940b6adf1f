// One of the project's programs as a child process: its stdout read as it comes, so a test
// can wait for a line and send a signal; its stderr collected in a file. Killed if it still
// runs when the object goes. On Windows the child shares a console with the test program, so
// that SIGINT can reach it as Ctrl+C does, and its output's line ends ("\r\n") read as "\n".
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace tern::test {

class ChildProcess {
public:
    // Starts `program` with `args` in this process's environment; stderr goes to `errPath`.
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::string& errPath);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Reads stdout until `text` has appeared (false when it ends first).
    bool WaitForOutput(const std::string& text);
    // SIGINT as Ctrl+C; on Windows any other signal ends the child at once.
    void Signal(int signal);
    // Reads stdout to its end and returns the exit status, or -1 for any other end.
    int Finish();
    // Waits at most `limit` for the child to end: its exit status, or -1 while it still runs
    // (or when it ended some other way).
    int WaitExit(std::chrono::milliseconds limit);

    const std::string& Out() const { return m_out; }
    const std::string& Err() const { return m_err; }

private:
    bool ReadSome();
    int Reaped(int raw);

    // Linux: the process id and the pipe's descriptor; Windows: their handles. -1: none.
    std::intptr_t m_process = -1;
    std::intptr_t m_output = -1;
    std::string m_errPath;
    std::string m_out;
    std::string m_err;
};

// Runs `program` with `args` to its end: its exit status, its output in `out` and `err` when
// given; stderr passes through `errPath`.
inline int RunToEnd(const std::string& program, const std::vector<std::string>& args,
                    const std::string& errPath, std::string* out = nullptr,
                    std::string* err = nullptr) {
    ChildProcess child(program, args, errPath);
    const int status = child.Finish();
    if (out) {
        *out = child.Out();
    }
    if (err) {
        *err = child.Err();
    }
    return status;
}

}  // namespace tern::test
