#pragma once

#include "app/UnixSocket.h"

#include <QObject>
#include <QSocketNotifier>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vistrel {

// The running viewer's end of the hand-over socket: accepts clients, reads their
// messages asynchronously (see HandOverConnection) and passes the paths of each
// valid one to the receiver, on the GUI thread, after the client got its answer.
class HandOverServer : public QObject {
    Q_OBJECT
  public:
    using Receiver = std::function<void(const std::vector<std::string>& paths)>;

    // More clients at once than any start-up burst needs; beyond, new ones are turned away.
    static constexpr int maxClients = 16;

    explicit HandOverServer(std::chrono::milliseconds clientDeadline = std::chrono::seconds(3),
                            QObject* parent = nullptr);
    ~HandOverServer() override;

    // Listens on the socket file `path`, which must not exist (the caller removes a
    // stale one). False, with the reason logged, when that fails.
    bool listen(const QString& path);
    void setReceiver(Receiver receiver) { m_receiver = std::move(receiver); }

    QString path() const { return m_path; }

  private:
    void acceptClients();
    int connectedClients() const;

    UnixSocket m_listening;
    std::unique_ptr<QSocketNotifier> m_waitingClients;
    QString m_path;
    std::chrono::milliseconds m_clientDeadline;
    Receiver m_receiver;
};

} // namespace vistrel
