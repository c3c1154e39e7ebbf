#pragma once

#include "app/UnixSocket.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <string>
#include <vector>

namespace vistrel {

// One client of the hand-over server: gathers its message as it arrives, never
// waiting on it, answers with one byte and hangs up. A client that sends more than
// a message, something that is not one, or takes longer than `deadline` in all is
// refused or dropped; either way the connection then deletes itself.
class HandOverConnection : public QObject {
    Q_OBJECT
  public:
    // Takes over `socket`, a connected client.
    HandOverConnection(UnixSocket socket, std::chrono::milliseconds deadline, QObject* parent);

  signals:
    // A whole, valid message arrived and was acknowledged.
    void pathsReceived(const std::vector<std::string>& paths);

  private:
    void readAvailable();
    void answer(char reply);
    void hangUp();

    UnixSocket m_socket;
    QSocketNotifier m_readable;
    QTimer m_deadline;
    std::string m_received;
};

} // namespace vistrel
