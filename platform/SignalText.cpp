#include <csignal>

#include "platform/InterruptWatcher.h"

namespace tern::platform {

std::string SignalText(int signal) {
    switch (signal) {
        case SIGINT:
            return "Ctrl+C (SIGINT)";
        case SIGTERM:
            return "SIGTERM";
        default:
            break;
    }
    if (std::string text = BackendSignalText(signal); !text.empty()) {
        return text;
    }
    return "signal " + std::to_string(signal);
}

}  // namespace tern::platform
