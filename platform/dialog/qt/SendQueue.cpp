#include "platform/dialog/qt/SendQueue.h"

#include <sys/eventfd.h>
#include <unistd.h>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdint>

namespace tern::platform {

SendQueue::SendQueue() {
    m_wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    m_wakeNotifier = std::make_unique<QSocketNotifier>(m_wakeFd, QSocketNotifier::Read);
    QObject::connect(m_wakeNotifier.get(), &QSocketNotifier::activated, m_wakeNotifier.get(),
                     [this] { Serve(); });
}

SendQueue::~SendQueue() {
    m_wakeNotifier.reset();
    ::close(m_wakeFd);
}

void SendQueue::Send(const std::function<void()>& fn) {
    const bool here = std::this_thread::get_id() == m_dialogThread;
    Request request{&fn, false};
    {
        std::lock_guard lock(m_mutex);
        if (m_abandoned) {
            return;
        }
        if (!here) {
            m_requests.push_back(&request);
        }
    }
    if (here) {
        fn();
        return;
    }
    const uint64_t one = 1;
    while (::write(m_wakeFd, &one, sizeof one) < 0 && errno == EINTR) {
    }
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [&request] { return request.done; });
}

void SendQueue::Serve() {
    uint64_t wakes = 0;
    while (::read(m_wakeFd, &wakes, sizeof wakes) < 0 && errno == EINTR) {
    }
    for (;;) {
        Request* request;
        {
            std::lock_guard lock(m_mutex);
            if (m_requests.empty()) {
                return;
            }
            request = m_requests.front();
            m_requests.pop_front();
            m_running = request;
        }
        (*request->fn)();
        {
            std::lock_guard lock(m_mutex);
            // Once abandoned, its sender may have gone on, and the request with its stack.
            if (!m_abandoned) {
                request->done = true;
            }
            m_running = nullptr;
        }
        m_done.notify_all();
    }
}

void SendQueue::Abandon() {
    {
        std::lock_guard lock(m_mutex);
        m_abandoned = true;
        for (Request* request : m_requests) {
            request->done = true;
        }
        m_requests.clear();
        // Abandoned from inside a call (the toolkit ends the process from there): its
        // sender need not wait for it either.
        if (m_running) {
            m_running->done = true;
        }
    }
    m_done.notify_all();
}

}  // namespace tern::platform
