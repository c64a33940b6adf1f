// Calls from other threads run on the dialog's thread, one at a time, each caller waiting
// until its own call has run. A worker calls nothing in Qt: Qt would start keeping
// bookkeeping for the worker's thread, and its event queue hands objects over in ways the
// sanitizers cannot follow. So the hand-off is a queue and a condition of our own, and an
// eventfd, watched on the dialog's thread, wakes it.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class QSocketNotifier;

namespace tern::platform {

class SendQueue {
public:
    // Made on the dialog's thread, whose event loop serves the calls.
    SendQueue();
    ~SendQueue();
    SendQueue(const SendQueue&) = delete;
    SendQueue& operator=(const SendQueue&) = delete;

    // Runs `fn` on the dialog's thread and returns when it has run; on that thread, at once.
    // Once the queue is abandoned it runs nothing and returns at once.
    void Send(const std::function<void()>& fn);

    // The dialog's thread will serve no more calls (its display is gone): every sender
    // waiting, and every later one, returns without its call having run. From any thread.
    void Abandon();

private:
    // A call waiting to run; lives on the sender's stack.
    struct Request {
        const std::function<void()>* fn;
        bool done;
    };

    void Serve();

    const std::thread::id m_dialogThread = std::this_thread::get_id();
    int m_wakeFd = -1;
    std::unique_ptr<QSocketNotifier> m_wakeNotifier;
    std::mutex m_mutex;
    std::condition_variable m_done;
    std::deque<Request*> m_requests;
    Request* m_running = nullptr;  // the call being served, whose sender still waits
    bool m_abandoned = false;
};

}  // namespace tern::platform
