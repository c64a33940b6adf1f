// One running instance per program name and user: the first claims a lock named after the
// executable's base name (freed by the system however the process ends) and brings its
// window to the foreground when a later start asks it to.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>
#include <string>

#include "platform/linux/NamedLock.h"

namespace tern::platform {

class SingleInstance : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(const std::string& programName);

    // True when this process is now the one instance; false when another holds the name.
    bool Claim();

    // From a later start: asks the running instance to bring its top-level window whose
    // title is exactly `windowTitle` to the foreground. False when none answers.
    bool AskToRaise(const std::string& windowTitle) const;

private:
    void Serve();

    const std::string m_lockName;
    NamedLock m_lock;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

// Brings the top-level window whose title is exactly `title` to the foreground, as it is
// (a minimised window stays minimised). False when there is none.
bool RaiseWindowTitled(const QString& title);

}  // namespace tern::platform
