#pragma once

#include <QDeadlineTimer>
#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace vistrel {

// One end of a local (AF_UNIX) stream socket, or a socket listening on a file, owned
// and closed with the object. The calls meant for a server never block; those meant
// for a client wait at most until their deadline. Writes never raise SIGPIPE.
class UnixSocket {
  public:
    UnixSocket() = default;
    ~UnixSocket();
    UnixSocket(UnixSocket&& other) noexcept;
    UnixSocket& operator=(UnixSocket&& other) noexcept;
    UnixSocket(const UnixSocket&) = delete;
    UnixSocket& operator=(const UnixSocket&) = delete;

    bool isOpen() const { return m_descriptor >= 0; }
    int descriptor() const { return m_descriptor; }
    void close();

    // Server side. A socket listening on the file at `path`, which must not exist; only
    // its owner may connect. Closed, with `error` set, when that fails.
    static UnixSocket listenOn(const QString& path, QString& error);
    // The next waiting client of a listening socket; closed when none waits.
    UnixSocket accept();

    struct Received {
        std::string bytes;
        bool hungUp = false; // the other end closed, or the connection broke
    };
    // What has arrived, up to `limit` bytes, without waiting.
    Received receiveAvailable(std::size_t limit);
    // Sends what fits at once; false when the connection is broken.
    bool sendNow(std::string_view bytes);

    // Client side. Connected to the socket at `path`; closed when nobody listens there
    // or the deadline passes while the listener's queue is full.
    static UnixSocket connectTo(const QString& path, QDeadlineTimer deadline);
    // False when the deadline passed or the other end stopped reading.
    bool sendAll(std::string_view bytes, QDeadlineTimer deadline);
    // The next byte; nullopt when the other end hung up first or the deadline passed.
    std::optional<char> receiveByte(QDeadlineTimer deadline);

  private:
    explicit UnixSocket(int descriptor) : m_descriptor(descriptor) {}
    // Waits for `events` on the socket; false when the deadline passes first.
    bool waitFor(short events, QDeadlineTimer deadline) const;

    int m_descriptor = -1;
};

} // namespace vistrel
