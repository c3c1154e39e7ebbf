#include "app/HandOverServer.h"

#include "app/HandOverConnection.h"
#include "app/InstanceLog.h"

#include <QLocalSocket>
#include <QTimer>

namespace vistrel {

HandOverServer::HandOverServer(std::chrono::milliseconds clientDeadline, QObject* parent)
    : QObject(parent), m_clientDeadline(clientDeadline) {
    connect(&m_server, &QLocalServer::newConnection, this, &HandOverServer::acceptClients);
}

bool HandOverServer::listen(const QString& path) {
    if (m_server.listen(path))
        return true;
    qCWarning(lcInstance).noquote() << "cannot listen on" << path
                                    << "for files handed over:" << m_server.errorString();
    return false;
}

int HandOverServer::connectedClients() const {
    return static_cast<int>(findChildren<HandOverConnection*>(Qt::FindDirectChildrenOnly).size());
}

void HandOverServer::acceptClients() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        if (connectedClients() >= maxClients) {
            qCWarning(lcInstance) << "turned a client away:" << maxClients << "are already connected";
            socket->abort();
            socket->deleteLater();
            continue;
        }
        auto* connection = new HandOverConnection(socket, m_clientDeadline, this);
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
