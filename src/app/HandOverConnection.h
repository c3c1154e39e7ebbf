#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <string>
#include <vector>

class QLocalSocket;

namespace vistrel {

// One client of the hand-over server: gathers its message as it arrives, never
// waiting on it, answers with one byte and hangs up. A client that sends more than
// a message, something that is not one, or takes longer than `deadline` in all is
// refused or dropped; either way the connection then deletes itself.
class HandOverConnection : public QObject {
    Q_OBJECT
  public:
    // Takes over `socket`.
    HandOverConnection(QLocalSocket* socket, std::chrono::milliseconds deadline, QObject* parent);

  signals:
    // A whole, valid message arrived and was acknowledged.
    void pathsReceived(const std::vector<std::string>& paths);

  private:
    void readAvailable();
    void answer(char reply);

    QLocalSocket* m_socket;
    QTimer m_deadline;
    std::string m_received;
    bool m_answered = false;
};

} // namespace vistrel
