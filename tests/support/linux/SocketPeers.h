// Other programs on the machine that reach for a local socket, written in Python as any
// local program could be: commands for ChildProcess or TerminalChild (the interpreter first).
// Needs no test framework, so benchmarks use it too.
#pragma once

#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"

namespace tern::test {

inline constexpr char kPython[] = "/usr/bin/python3";

// Opens `count` connections to the Unix socket at `path`, sends nothing, prints
// "open <n>" with how many it got, and holds them until it is killed.
std::vector<std::string> IdleConnectionsCommand(const std::string& path, int count);

// Tries to connect to the Unix socket at `path`, then to bind a socket of its own there
// after removing what is there, and prints "connect ok|denied" and "bind ok|denied".
std::vector<std::string> ReachAttemptCommand(const std::string& path);

// Starts one of the commands above (or any command, the program first).
inline ChildProcess StartPeer(const std::vector<std::string>& command, const std::string& errPath) {
    return ChildProcess(command.front(), {command.begin() + 1, command.end()}, errPath);
}

}  // namespace tern::test
