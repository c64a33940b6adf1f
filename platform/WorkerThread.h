// Starting a worker thread at a priority. The priority is a request: on Linux a raised
// priority needs the right to lower the thread's nice value; without it the thread asks
// RealtimeKit on the system bus (waiting at most kSleepInhibitTimeoutMs), and without that it
// runs at normal priority. On Windows the highest priority is THREAD_PRIORITY_HIGHEST.
#pragma once

#include <functional>
#include <thread>

namespace tern::platform {

enum class ThreadPriority { Normal, Highest };

// Starts `body` on a new thread owned by `thread` (which must not own one already), at
// `priority` from its first instruction of `body` on. False, with `thread` left empty, when
// the system cannot start a thread.
bool StartWorkerThread(std::thread& thread, ThreadPriority priority, std::function<void()> body);

// Asks for `priority` for the calling thread; best effort (the backend's part).
void ApplyThreadPriority(ThreadPriority priority);

}  // namespace tern::platform
