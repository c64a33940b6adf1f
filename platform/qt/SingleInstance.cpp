#include "platform/qt/SingleInstance.h"

#include <unistd.h>
#include <QApplication>
#include <QWidget>

namespace tern::platform {
namespace {

constexpr char kRaiseRequest[] = "raise ";
constexpr int kRequestTimeoutMs = 1000;

}  // namespace

SingleInstance::SingleInstance(const std::string& programName)
    : m_lockName("tern-update/instance/" + std::to_string(getuid()) + "/" + programName) {}

bool SingleInstance::Claim() {
    if (!m_lock.TryAcquire(m_lockName)) {
        return false;
    }
    m_notifier =
        std::make_unique<QSocketNotifier>(m_lock.ListeningDescriptor(), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] { Serve(); });
    return true;
}

bool SingleInstance::AskToRaise(const std::string& windowTitle) const {
    return NamedLock::SendToHolder(m_lockName, kRaiseRequest + windowTitle);
}

void SingleInstance::Serve() {
    const auto request = m_lock.AcceptRequest(kRequestTimeoutMs);
    const std::string prefix = kRaiseRequest;
    if (request && request->compare(0, prefix.size(), prefix) == 0) {
        RaiseWindowTitled(QString::fromUtf8(request->substr(prefix.size())));
    }
}

bool RaiseWindowTitled(const QString& title) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->windowTitle() == title) {
            window->raise();
            window->activateWindow();
            return true;
        }
    }
    return false;
}

}  // namespace tern::platform
