#include "platform/InterruptWatcher.h"

#include <windows.h>

#include <condition_variable>
#include <csignal>
#include <mutex>
#include <string>

namespace tern::platform {

struct InterruptWatcher::State {
    Handler handler;
    bool active = false;
};

namespace {

// The console calls its handlers on a thread of its own; the lock keeps a call and the
// watcher's end apart.
std::mutex g_mutex;
InterruptWatcher::State* g_state = nullptr;

// The hold on the requests that end the process, apart from g_mutex: a request waits on it.
std::mutex g_holdMutex;
std::condition_variable g_holdReleased;
bool g_held = false;

void Deliver(int signal) {
    std::lock_guard lock(g_mutex);
    if (g_state) {
        g_state->handler(signal);
    }
}

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        Deliver(SIGINT);
        return TRUE;
    }
    // Closing the console, logging off, shutting down: the system ends the process once this
    // returns. During a transfer, not before the transfer has ended.
    bool held = false;
    {
        std::lock_guard lock(g_holdMutex);
        held = g_held;
    }
    if (held) {
        Deliver(SIGTERM);
        std::unique_lock lock(g_holdMutex);
        g_holdReleased.wait(lock, [] { return !g_held; });
    }
    return FALSE;
}

}  // namespace

InterruptWatcher::InterruptWatcher(Handler handler) : m_state(std::make_unique<State>()) {
    m_state->handler = std::move(handler);
    std::lock_guard lock(g_mutex);
    if (g_state) {
        return;  // one per process
    }
    g_state = m_state.get();
    m_state->active = SetConsoleCtrlHandler(OnConsoleControl, TRUE) != 0;
    if (!m_state->active) {
        g_state = nullptr;
    }
}

InterruptWatcher::~InterruptWatcher() {
    if (!m_state->active) {
        return;
    }
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    std::lock_guard lock(g_mutex);  // waits for a call already running
    g_state = nullptr;
}

bool InterruptWatcher::Active() const {
    return m_state->active;
}

bool IsJobStop(int /*signal*/) {
    return false;  // a console has no job control
}

std::string BackendSignalText(int /*signal*/) {
    return {};  // the console's requests all arrive as SIGINT or SIGTERM
}

void InterruptWatcher::HoldEndingRequests(bool hold) {
    {
        std::lock_guard lock(g_holdMutex);
        g_held = hold;
    }
    g_holdReleased.notify_all();
}

}  // namespace tern::platform
