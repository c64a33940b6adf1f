#include "tests/support/linux/SocketPeers.h"

namespace tern::test {
namespace {

constexpr char kIdleConnections[] = R"(
import socket, sys, time
held = []
for _ in range(int(sys.argv[2])):
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    s.settimeout(2)
    try:
        s.connect(sys.argv[1])
        held.append(s)
    except OSError:
        s.close()
print("open", len(held), flush=True)
time.sleep(60)
)";

constexpr char kReachAttempt[] = R"(
import os, socket, sys
def attempt(what, act):
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    try:
        act(s)
        print(what, "ok", flush=True)
    except OSError:
        print(what, "denied", flush=True)
    finally:
        s.close()
def squat(s):
    try:
        os.unlink(sys.argv[1])
    except OSError:
        pass
    s.bind(sys.argv[1])
attempt("connect", lambda s: s.connect(sys.argv[1]))
attempt("bind", squat)
)";

}  // namespace

std::vector<std::string> IdleConnectionsCommand(const std::string& path, int count) {
    return {kPython, "-c", kIdleConnections, path, std::to_string(count)};
}

std::vector<std::string> ReachAttemptCommand(const std::string& path) {
    return {kPython, "-c", kReachAttempt, path};
}

}  // namespace tern::test
