#include "app/HandOverClient.h"

#include "app/UnixSocket.h"
#include "core/intake/HandOverMessage.h"

namespace vistrel::handoverclient {

Outcome handOver(const QString& socketPath, const std::vector<std::string>& paths, Limits limits) {
    UnixSocket socket = UnixSocket::connectTo(socketPath, QDeadlineTimer(limits.connect));
    if (!socket.isOpen())
        return Outcome::noViewer;
    const auto message = handover::encode(paths);
    if (!message)
        return Outcome::unsendable;
    const QDeadlineTimer deadline(limits.answer);
    // A receiver that refuses early hangs up before all is sent; its answer still counts.
    socket.sendAll(*message, deadline);
    const auto answer = socket.receiveByte(deadline);
    if (!answer)
        return Outcome::noAnswer;
    return *answer == handover::acceptedReply ? Outcome::accepted : Outcome::refused;
}

bool viewerListens(const QString& socketPath, std::chrono::milliseconds limit) {
    return UnixSocket::connectTo(socketPath, QDeadlineTimer(limit)).isOpen();
}

} // namespace vistrel::handoverclient
