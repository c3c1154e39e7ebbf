#include "app/HandOverServer.h"

#include "app/HandOverConnection.h"
#include "app/InstanceLog.h"

#include <QFile>
#include <QTimer>
#include <unistd.h>

namespace vistrel {

HandOverServer::HandOverServer(std::chrono::milliseconds clientDeadline, QObject* parent)
    : QObject(parent), m_clientDeadline(clientDeadline) {}

// The socket file goes with the server, so the next viewer finds no stale one.
HandOverServer::~HandOverServer() {
    if (!m_listening.isOpen())
        return;
    m_waitingClients.reset();
    m_listening.close();
    ::unlink(QFile::encodeName(m_path).constData());
}

bool HandOverServer::listen(const QString& path) {
    QString error;
    m_listening = UnixSocket::listenOn(path, error);
    if (!m_listening.isOpen()) {
        qCWarning(lcInstance).noquote() << "cannot listen on" << path << "for files handed over:" << error;
        return false;
    }
    m_path = path;
    m_waitingClients = std::make_unique<QSocketNotifier>(m_listening.descriptor(), QSocketNotifier::Read);
    connect(m_waitingClients.get(), &QSocketNotifier::activated, this, &HandOverServer::acceptClients);
    return true;
}

int HandOverServer::connectedClients() const {
    return static_cast<int>(findChildren<HandOverConnection*>(Qt::FindDirectChildrenOnly).size());
}

void HandOverServer::acceptClients() {
    for (UnixSocket client = m_listening.accept(); client.isOpen(); client = m_listening.accept()) {
        if (connectedClients() >= maxClients) {
            qCWarning(lcInstance) << "turned a client away:" << maxClients << "are already connected";
            continue; // closed as the next one is taken
        }
        auto* connection = new HandOverConnection(std::move(client), m_clientDeadline, this);
        connect(connection, &HandOverConnection::pathsReceived, this,
                [this](const std::vector<std::string>& paths) {
                    // Taking the files in may scan a large folder: not while the socket is served.
                    QTimer::singleShot(0, this, [this, paths] {
                        if (m_receiver)
                            m_receiver(paths);
                    });
                });
    }
}

} // namespace vistrel
