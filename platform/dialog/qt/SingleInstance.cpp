#include "platform/dialog/qt/SingleInstanceEndpoint.h"

#include <QApplication>
#include <QLocalSocket>
#include <QTimer>
#include <QWidget>

#include "platform/linux/PrivateFolder.h"
#include "platform/linux/ProcessLock.h"

namespace tern::platform {
namespace {

constexpr char kRaiseRequest[] = "raise ";
// A request is one line: the prefix and a window title.
constexpr qint64 kMaxRequestBytes = 512;
// A connection that has not sent its line by then is dropped.
constexpr int kIdleDropMs = 2000;
// More connections than this at once are dropped as they come; a real request is answered
// within microseconds, so it never meets a full table of its own kind.
constexpr int kMaxOpenConnections = 64;
// A later start waits this long at most for the running instance to take its request.
constexpr int kAskTimeoutMs = 1000;

std::string PathIn(const std::string& programName, const char* suffix) {
    const PrivateFolder folder = UserPrivateFolder();
    return folder.path.empty() ? std::string() : folder.path + "/" + programName + suffix;
}

}  // namespace

SingleInstance::SingleInstance(const std::string& programName)
    : m_state(std::make_unique<SingleInstanceState>(programName)) {}

SingleInstance::~SingleInstance() = default;

SingleInstance::Claim SingleInstance::ClaimName() {
    return m_state->ClaimName();
}

const std::string& SingleInstance::Problem() const {
    return m_state->Problem();
}

bool SingleInstance::AskToRaise(const std::string& windowTitle) {
    return m_state->AskToRaise(windowTitle);
}

SingleInstanceState::SingleInstanceState(const std::string& programName)
    : m_programName(programName) {}

std::string SingleInstanceState::LockPath(const std::string& programName) {
    return PathIn(programName, ".lock");
}

std::string SingleInstanceState::EndpointPath(const std::string& programName) {
    return PathIn(programName, ".socket");
}

SingleInstanceState::Claim SingleInstanceState::ClaimName() {
    const PrivateFolder folder = UserPrivateFolder();
    if (folder.path.empty()) {
        m_problem = folder.problem;
        return Claim::Unavailable;
    }
    const std::string lock = folder.path + "/" + m_programName + ".lock";
    switch (LockForProcessLifetime(lock)) {
        case ProcessLockResult::HeldElsewhere:
            return Claim::Second;
        case ProcessLockResult::Failed:
            m_problem = lock + " cannot be locked";
            return Claim::Unavailable;
        case ProcessLockResult::Taken:
            break;
    }
    // Holding the lock, whatever endpoint is left there is a dead instance's.
    const QString endpoint = QString::fromStdString(folder.path + "/" + m_programName + ".socket");
    QLocalServer::removeServer(endpoint);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(endpoint)) {
        // Still the one instance; later starts just cannot ask it to come forward.
        m_problem = endpoint.toStdString() + ": " + m_server->errorString().toStdString();
        m_server.reset();
        return Claim::First;
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* connection = m_server->nextPendingConnection()) {
            Adopt(connection);
        }
    });
    return Claim::First;
}

void SingleInstanceState::Adopt(QLocalSocket* connection) {
    if (OpenConnections() > kMaxOpenConnections) {
        connection->abort();
        connection->deleteLater();
        return;
    }
    connect(connection, &QLocalSocket::readyRead, this, [this, connection] { Read(connection); });
    connect(connection, &QLocalSocket::disconnected, connection, &QObject::deleteLater);
    QTimer::singleShot(kIdleDropMs, connection, [connection] {
        connection->abort();
        connection->deleteLater();
    });
    Read(connection);  // what came with the connection
}

void SingleInstanceState::Read(QLocalSocket* connection) {
    if (!connection->canReadLine()) {
        if (connection->bytesAvailable() > kMaxRequestBytes) {
            connection->abort();
            connection->deleteLater();
        }
        return;
    }
    const QByteArray line = connection->readLine(kMaxRequestBytes + 1).trimmed();
    connection->abort();
    connection->deleteLater();
    if (line.startsWith(kRaiseRequest)) {
        RaiseWindowTitled(QString::fromUtf8(line.mid(sizeof kRaiseRequest - 1)));
    }
}

int SingleInstanceState::OpenConnections() const {
    // Each connection is the server's child until it is deleted.
    return m_server ? static_cast<int>(m_server->findChildren<QLocalSocket*>().size()) : 0;
}

bool SingleInstanceState::AskToRaise(const std::string& windowTitle) {
    const std::string endpoint = EndpointPath(m_programName);
    if (endpoint.empty()) {
        return false;
    }
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(endpoint));
    if (!socket.waitForConnected(kAskTimeoutMs)) {
        return false;
    }
    socket.write(QByteArray::fromStdString(kRaiseRequest + windowTitle + "\n"));
    const bool sent = socket.waitForBytesWritten(kAskTimeoutMs) || socket.bytesToWrite() == 0;
    socket.disconnectFromServer();
    return sent;
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
