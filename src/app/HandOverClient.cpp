#include "app/HandOverClient.h"

#include "intake/HandOverMessage.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <algorithm>
#include <optional>

namespace vistrel::handoverclient {

namespace {

int milliseconds(const QDeadlineTimer& deadline) {
    return static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0));
}

void sendAll(QLocalSocket& socket, const std::string& message, const QDeadlineTimer& deadline) {
    socket.write(message.data(), static_cast<qint64>(message.size()));
    while (socket.bytesToWrite() > 0)
        if (!socket.waitForBytesWritten(milliseconds(deadline)))
            return;
}

std::optional<char> reply(QLocalSocket& socket, const QDeadlineTimer& deadline) {
    // The answer may come together with the hang-up, so look once more after a failed wait.
    while (socket.bytesAvailable() < 1 && socket.waitForReadyRead(milliseconds(deadline))) {
    }
    char answer = 0;
    if (!socket.getChar(&answer))
        return std::nullopt;
    return answer;
}

} // namespace

Outcome handOver(const QString& socketPath, const std::vector<std::string>& paths, Limits limits) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(static_cast<int>(limits.connect.count())))
        return Outcome::noViewer;
    const auto message = handover::encode(paths);
    if (!message)
        return Outcome::unsendable;
    const QDeadlineTimer deadline(limits.answer);
    // A receiver that refuses early hangs up before all is sent; its answer still counts.
    sendAll(socket, *message, deadline);
    const auto answer = reply(socket, deadline);
    if (!answer)
        return Outcome::noAnswer;
    return *answer == handover::acceptedReply ? Outcome::accepted : Outcome::refused;
}

bool viewerListens(const QString& socketPath, std::chrono::milliseconds limit) {
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    return socket.waitForConnected(static_cast<int>(limit.count()));
}

} // namespace vistrel::handoverclient
