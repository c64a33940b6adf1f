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
    if (std::this_thread::get_id() == m_dialogThread) {
        fn();
        return;
    }
    Request request{&fn, false};
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(&request);
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
        }
        (*request->fn)();
        {
            std::lock_guard lock(m_mutex);
            request->done = true;
        }
        m_done.notify_all();
    }
}

}  // namespace tern::platform
