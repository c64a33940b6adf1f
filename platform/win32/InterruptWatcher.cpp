#include "platform/InterruptWatcher.h"

#include <windows.h>

#include <csignal>
#include <mutex>

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

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;  // closing, logging off, shutting down: the system's way
    }
    std::lock_guard lock(g_mutex);
    if (g_state) {
        g_state->handler(SIGINT);
    }
    return TRUE;
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

}  // namespace tern::platform
