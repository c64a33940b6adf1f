#include "cli/TerminalDiscoveryView.h"

#include <string>

#include "engine/StatusCodes.h"

namespace tern::cli {

void TerminalDiscoveryView::SetStatusText(const char* text) {
    if (!text || !*text) {
        return;  // the window clears its status line; a terminal has nothing to clear
    }
    // The worker stores a failure code before it shows the failure's message.
    if (IsFailure(m_status.load())) {
        m_console.Err(text);
    } else {
        m_console.Out(text);
    }
}

void TerminalDiscoveryView::SetOutputPort(const char* text) {
    m_portOpen = true;
    m_console.Out(std::string("Output port: ") + text);
}

void TerminalDiscoveryView::SetStatus(int32_t status) {
    m_status = status;
    if (IsFailure(status)) {
        return;  // its message follows as the status text
    }
    // Each attempt ends with its step value: 0 when the port is open, else the failed step.
    const int attempt = ++m_attempts;
    const char* meaning = status == kStatusOk ? "firmware port open" : MessageText(status);
    m_console.Out("  attempt " + std::to_string(attempt) + ": status " + std::to_string(status) +
                  " (" + (meaning ? meaning : "unknown step") + ")");
}

}  // namespace tern::cli
