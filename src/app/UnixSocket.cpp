#include "app/UnixSocket.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace vistrel {

namespace {

// As many clients as may wait to be accepted while the GUI thread is busy.
constexpr int pendingClients = 50;
// How often a client retries while the listener's queue is full.
constexpr auto connectRetry = std::chrono::milliseconds(10);

std::optional<sockaddr_un> addressOf(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    if (name.isEmpty() || static_cast<std::size_t>(name.size()) >= sizeof address.sun_path)
        return std::nullopt;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    return address;
}

const sockaddr* generic(const sockaddr_un& address) {
    return reinterpret_cast<const sockaddr*>(&address);
}

int newSocket() {
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool wouldBlock() {
    return errno == EAGAIN || errno == EWOULDBLOCK;
}

} // namespace

UnixSocket::~UnixSocket() {
    close();
}

UnixSocket::UnixSocket(UnixSocket&& other) noexcept : m_descriptor(std::exchange(other.m_descriptor, -1)) {}

UnixSocket& UnixSocket::operator=(UnixSocket&& other) noexcept {
    if (this != &other) {
        close();
        m_descriptor = std::exchange(other.m_descriptor, -1);
    }
    return *this;
}

void UnixSocket::close() {
    if (m_descriptor >= 0)
        ::close(std::exchange(m_descriptor, -1));
}

UnixSocket UnixSocket::listenOn(const QString& path, QString& error) {
    const auto address = addressOf(path);
    if (!address) {
        error = QStringLiteral("the path is too long for a socket");
        return {};
    }
    UnixSocket socket(newSocket());
    if (!socket.isOpen() || ::bind(socket.m_descriptor, generic(*address), sizeof *address) != 0) {
        error = systemError();
        return {};
    }
    // Others cannot reach the folder anyway; the file says the same on its own.
    if (::chmod(address->sun_path, S_IRUSR | S_IWUSR) != 0 ||
        ::listen(socket.m_descriptor, pendingClients) != 0) {
        error = systemError();
        ::unlink(address->sun_path);
        return {};
    }
    return socket;
}

UnixSocket UnixSocket::accept() {
    for (;;) {
        const int client = ::accept4(m_descriptor, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        // A client that gave up while waiting to be accepted is skipped.
        if (client < 0 && (errno == ECONNABORTED || errno == EINTR))
            continue;
        return UnixSocket(client);
    }
}

UnixSocket::Received UnixSocket::receiveAvailable(std::size_t limit) {
    Received received;
    char buffer[64 * 1024];
    while (received.bytes.size() < limit) {
        const std::size_t wanted = std::min(sizeof buffer, limit - received.bytes.size());
        const ssize_t count = ::recv(m_descriptor, buffer, wanted, 0);
        if (count > 0) {
            received.bytes.append(buffer, static_cast<std::size_t>(count));
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        received.hungUp = count == 0 || !wouldBlock();
        break;
    }
    return received;
}

bool UnixSocket::sendNow(std::string_view bytes) {
    return ::send(m_descriptor, bytes.data(), bytes.size(), MSG_NOSIGNAL) >= 0 || wouldBlock();
}

UnixSocket UnixSocket::connectTo(const QString& path, QDeadlineTimer deadline) {
    const auto address = addressOf(path);
    if (!address)
        return {};
    UnixSocket socket(newSocket());
    while (socket.isOpen()) {
        if (::connect(socket.m_descriptor, generic(*address), sizeof *address) == 0)
            return socket;
        // A full queue is worth waiting on; anything else means nobody listens.
        if (!(wouldBlock() || errno == EINTR) || deadline.hasExpired())
            return {};
        std::this_thread::sleep_for(std::min<std::chrono::milliseconds>(
            connectRetry, std::chrono::milliseconds(std::max<qint64>(deadline.remainingTime(), 0))));
    }
    return {};
}

bool UnixSocket::waitFor(short events, QDeadlineTimer deadline) const {
    pollfd waited{m_descriptor, events, 0};
    for (;;) {
        const int milliseconds = static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0));
        const int ready = ::poll(&waited, 1, milliseconds);
        if (ready > 0)
            return true;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

bool UnixSocket::sendAll(std::string_view bytes, QDeadlineTimer deadline) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(m_descriptor, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(sent));
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent == 0 || !wouldBlock() || !waitFor(POLLOUT, deadline))
            return false;
    }
    return true;
}

std::optional<char> UnixSocket::receiveByte(QDeadlineTimer deadline) {
    for (;;) {
        char byte = 0;
        const ssize_t count = ::recv(m_descriptor, &byte, 1, 0);
        if (count == 1)
            return byte;
        if (count < 0 && errno == EINTR)
            continue;
        if (count == 0 || !wouldBlock() || !waitFor(POLLIN, deadline))
            return std::nullopt;
    }
}

} // namespace vistrel
