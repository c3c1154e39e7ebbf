#include "app/HandOverConnection.h"

#include "app/InstanceLog.h"
#include "core/intake/HandOverMessage.h"

namespace vistrel {

HandOverConnection::HandOverConnection(UnixSocket socket, std::chrono::milliseconds deadline, QObject* parent)
    : QObject(parent), m_socket(std::move(socket)), m_readable(m_socket.descriptor(), QSocketNotifier::Read) {
    connect(&m_readable, &QSocketNotifier::activated, this, &HandOverConnection::readAvailable);
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        qCWarning(lcInstance) << "dropped a client that took too long to send its message";
        hangUp();
    });
    m_deadline.start(deadline);
}

void HandOverConnection::readAvailable() {
    // One byte past the limit is enough to know a client sends too much; a flooding
    // client's rest is never read.
    const std::size_t room = handover::maxMessageSize - m_received.size() + 1;
    const UnixSocket::Received arrived = m_socket.receiveAvailable(room);
    m_received += arrived.bytes;
    auto reading = handover::decode(m_received);
    if (reading.status == handover::Status::incomplete && m_received.size() > handover::maxMessageSize)
        reading = {handover::Status::refused, {}, "it is longer than any message may be"};
    switch (reading.status) {
    case handover::Status::incomplete:
        if (arrived.hungUp) {
            // One that sent nothing only looked whether a viewer runs.
            if (!m_received.empty())
                qCWarning(lcInstance) << "a client hung up before its message was complete";
            hangUp();
        }
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
    // A fresh connection always has room for one byte; a client already gone misses it.
    m_socket.sendNow(std::string_view(&reply, 1));
    hangUp();
}

void HandOverConnection::hangUp() {
    m_readable.setEnabled(false);
    m_deadline.stop();
    m_socket.close();
    deleteLater();
}

} // namespace vistrel
