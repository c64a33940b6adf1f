// One of the project's programs run as a user runs it at a terminal: a new session whose
// controlling terminal is a pseudo-terminal that holds its standard input, output and error,
// with the line settings a terminal starts with (flow control by Ctrl+S and Ctrl+Q included).
// The caller is the user and the screen: it types keys into the terminal and reads what the
// program wrote there. Killed if it still runs when the object goes. Needs no test framework,
// so benchmarks use it too.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace tern::test {

class TerminalChild {
public:
    // Starts `program` with `args` in this process's environment.
    TerminalChild(const std::string& program, const std::vector<std::string>& args);
    ~TerminalChild();
    TerminalChild(const TerminalChild&) = delete;
    TerminalChild& operator=(const TerminalChild&) = delete;

    bool Started() const { return m_pid > 0; }

    // Reads the screen until `text` has appeared (false when the terminal closed or `limit`
    // passed first).
    bool WaitForOutput(const std::string& text, std::chrono::milliseconds limit);
    // Types `keys` at the terminal. False when they could not all be typed.
    bool Type(std::string_view keys);
    void Signal(int signal);
    // Closes the terminal as a closed terminal window or a dropped connection does: the
    // program's session gets SIGHUP, and its writes there fail from then on.
    void HangUp();
    // True while the program has not ended; reads nothing.
    bool Running();
    // Reads the screen until the program has closed the terminal, and reaps it: its exit
    // status, or -1 when it ended by a signal or still ran after `limit` (it is killed then).
    int Finish(std::chrono::milliseconds limit);

    // Everything read from the screen so far; the terminal turns each "\n" into "\r\n".
    const std::string& Screen() const { return m_screen; }

private:
    // Reads what is there, waiting at most `limit` for it. False once the terminal closed.
    bool ReadSome(std::chrono::milliseconds limit);
    void Reap(int raw);

    pid_t m_pid = -1;
    int m_master = -1;
    bool m_closed = false;
    int m_status = -1;
    std::string m_screen;
};

}  // namespace tern::test
