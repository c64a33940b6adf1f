#include "cli/TerminalDiscoveryView.h"

#include <string>

#include "cli/RootFailure.h"
#include "status/StatusCodes.h"

namespace tern::cli {

void TerminalDiscoveryView::SetStatusText(const char* text) {
    if (!text || !*text) {
        return;  // the window clears its status line; a terminal has nothing to clear
    }
    // The worker stores a failure code before it shows the failure's message.
    if (IsFailure(m_status.load())) {
        std::string failure;
        {
            std::lock_guard lock(m_mutex);
            failure = m_rootFailure.empty() ? std::string(text) : std::move(m_rootFailure);
            m_rootFailure.clear();
            m_record.failure = failure;
        }
        m_console.Err(failure);
    } else {
        m_console.Out(text);
    }
}

void TerminalDiscoveryView::SetOutputPort(const char* text) {
    {
        std::lock_guard lock(m_mutex);
        m_record.outputPort = text;
    }
    m_portOpen = true;
    m_console.Out(std::string("Output port: ") + text);
}

void TerminalDiscoveryView::SetStatus(int32_t status) {
    m_status = status;
    std::unique_lock lock(m_mutex);
    m_record.status = status;
    if (IsFailure(status)) {
        return;  // its message follows as the status text
    }
    // Each attempt ends with its step value: 0 when the port is open, else the failed step.
    const char* meaning = status == kStatusOk ? "firmware port open" : MessageText(status);
    const DiscoveryAttemptRecord& attempt = m_record.attempts.emplace_back(
        DiscoveryAttemptRecord{static_cast<int>(m_record.attempts.size()) + 1, status,
                               meaning ? meaning : "unknown step"});
    const std::string line = "  attempt " + std::to_string(attempt.number) + ": status " +
                             std::to_string(status) + " (" + attempt.meaning + ")";
    lock.unlock();
    m_console.Out(line);
}

void TerminalDiscoveryView::SetRootFailure(HRESULT result) {
    std::lock_guard lock(m_mutex);
    m_rootFailure = RootFailureText(result);
}

DiscoveryRecord TerminalDiscoveryView::Record() const {
    std::lock_guard lock(m_mutex);
    return m_record;
}

}  // namespace tern::cli
