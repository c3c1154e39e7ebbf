#include "app/HandOverConnection.h"

#include "app/InstanceLog.h"
#include "intake/HandOverMessage.h"

#include <QLocalSocket>

namespace vistrel {

HandOverConnection::HandOverConnection(QLocalSocket* socket, std::chrono::milliseconds deadline,
                                       QObject* parent)
    : QObject(parent), m_socket(socket) {
    m_socket->setParent(this);
    // Qt would otherwise take in all a flooding client sends before we look at it.
    m_socket->setReadBufferSize(256 * 1024);
    connect(m_socket, &QLocalSocket::readyRead, this, &HandOverConnection::readAvailable);
    connect(m_socket, &QLocalSocket::disconnected, this, [this] {
        // One that sent nothing only looked whether a viewer runs.
        if (!m_answered && !m_received.empty())
            qCWarning(lcInstance) << "a client hung up before its message was complete";
        deleteLater();
    });
    m_deadline.setSingleShot(true);
    // Also ends a connection whose client, answered, never hangs up.
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        if (!m_answered)
            qCWarning(lcInstance) << "dropped a client that took too long to send its message";
        m_answered = true;
        m_socket->abort();
        deleteLater();
    });
    m_deadline.start(deadline);
    // Bytes may have come with the connection, before anyone listened for readyRead.
    QMetaObject::invokeMethod(this, &HandOverConnection::readAvailable, Qt::QueuedConnection);
}

void HandOverConnection::readAvailable() {
    if (m_answered)
        return;
    // One byte past the limit is enough to know a client sends too much.
    const qint64 room = static_cast<qint64>(handover::maxMessageSize - m_received.size()) + 1;
    const QByteArray bytes = m_socket->read(room);
    m_received.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    auto reading = handover::decode(m_received);
    if (reading.status == handover::Status::incomplete && m_received.size() > handover::maxMessageSize)
        reading = {handover::Status::refused, {}, "it is longer than any message may be"};
    switch (reading.status) {
    case handover::Status::incomplete:
        return;
    case handover::Status::refused:
        qCWarning(lcInstance).noquote()
            << "refused a hand-over message:" << QString::fromStdString(reading.reason);
        answer(handover::refusedReply);
        return;
    case handover::Status::complete:
        answer(handover::acceptedReply);
        emit pathsReceived(reading.paths);
        return;
    }
}

void HandOverConnection::answer(char reply) {
    m_answered = true;
    m_socket->write(&reply, 1);
    m_socket->disconnectFromServer();
}

} // namespace vistrel
