#pragma once

#include "app/HandOverServer.h"

#include <QString>
#include <memory>
#include <string>
#include <vector>

namespace vistrel {

// Makes one viewer per user and display: the first one started serves the
// hand-over socket, later ones hand their files to it and end. Whatever goes wrong
// with the socket, a viewer still starts (alone) rather than not at all.
class RunningViewer {
  public:
    enum class Role {
        handedOver, // another viewer took the files: end successfully
        serving,    // this is the running viewer; server() takes hand-overs
        alone,      // a viewer without the socket (asked for, or it cannot be served)
        failed,     // a viewer runs but did not take the files: `problem` says why
    };
    struct Claim {
        Role role;
        QString problem;
    };

    // The socket for this user and display; empty (with the reason logged) when no
    // private folder for it can be had.
    static QString defaultSocketPath();

    explicit RunningViewer(QString socketPath);
    ~RunningViewer();
    RunningViewer(const RunningViewer&) = delete;
    RunningViewer& operator=(const RunningViewer&) = delete;

    // Hands `paths` to the running viewer or becomes it. With `newWindow` nothing is
    // handed over, and the socket is taken only when no viewer holds it.
    Claim claim(const std::vector<std::string>& paths, bool newWindow);

    // Only while serving.
    HandOverServer* server() { return m_server.get(); }

  private:
    bool serve();

    QString m_socketPath;
    std::unique_ptr<HandOverServer> m_server;
};

} // namespace vistrel
