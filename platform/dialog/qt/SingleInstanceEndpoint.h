// The single-instance rule with Qt on Linux: the first start takes a lock named after the
// executable's base name, held until the process ends, and serves an endpoint on which a
// later start asks it to bring its window to the foreground. Both live in the user's private
// folder, out of other users' reach.
//
// The endpoint is served from the event loop and never waits: a connection is read as its
// bytes come, a request is one short line, and a connection that sends none is dropped after
// a while. The window's thread, which a transfer's progress updates wait on, is never held.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <memory>
#include <string>

#include "platform/dialog/SingleInstance.h"

namespace tern::platform {

class SingleInstanceState : public QObject {
    Q_OBJECT

public:
    using Claim = SingleInstance::Claim;

    explicit SingleInstanceState(const std::string& programName);

    Claim ClaimName();
    const std::string& Problem() const { return m_problem; }
    // Asks the running instance over its endpoint; false when none answers.
    bool AskToRaise(const std::string& windowTitle);

    // How many connections are being read now (for tests).
    int OpenConnections() const;

    // Where the lock and the endpoint of `programName` are, or empty without a private
    // folder.
    static std::string LockPath(const std::string& programName);
    static std::string EndpointPath(const std::string& programName);

private:
    void Adopt(QLocalSocket* connection);
    void Read(QLocalSocket* connection);

    const std::string m_programName;
    std::string m_problem;
    std::unique_ptr<QLocalServer> m_server;
};

// Brings the top-level window whose title is exactly `title` to the foreground, as it is
// (a minimised window stays minimised). False when there is none.
bool RaiseWindowTitled(const QString& title);

}  // namespace tern::platform
