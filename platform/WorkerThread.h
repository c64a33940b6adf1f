// Starting a worker thread at a priority. The priority is a request: on Linux a raised
// priority needs the right to lower the thread's nice value, and without it the thread runs
// at normal priority.
#pragma once

#include <functional>
#include <thread>

namespace tern::platform {

enum class ThreadPriority { Normal, Highest };

// Starts `body` on a new thread owned by `thread` (which must not own one already). False,
// with `thread` left empty, when the system cannot start a thread.
bool StartWorkerThread(std::thread& thread, ThreadPriority priority, std::function<void()> body);

}  // namespace tern::platform
