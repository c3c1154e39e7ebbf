#pragma once

#include "app/HandOverServer.h"

#include <QString>
#include <memory>
#include <string>
#include <vector>

namespace vistrel {

class ClaimLock;

// Makes one viewer per user and display: the first one started serves the
// hand-over socket, later ones hand their files to it and end. Whatever goes wrong
// with the socket, a viewer still starts (alone) rather than not at all.
//
// claim() needs no QApplication, so a viewer that only hands over ends without
// ever connecting to the display; serve() then runs under the QApplication.
class RunningViewer {
  public:
    enum class Role {
        handedOver, // another viewer took the files: end successfully
        toServe,    // nobody serves the socket: call serve() once the QApplication exists
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

    // Hands `paths` to the running viewer, or leaves the socket to this one (toServe).
    // With `newWindow` nothing is handed over, and the socket is left to this viewer
    // only when no other holds it. Until serve(), other viewers starting wait.
    Claim claim(const std::vector<std::string>& paths, bool newWindow);

    // After a toServe claim: listens (serving), or, should another viewer have taken
    // the socket after all, hands the paths to it (handedOver); alone when neither works.
    Role serve();

    // Only while serving.
    HandOverServer* server() { return m_server.get(); }

  private:
    bool listen();

    QString m_socketPath;
    std::vector<std::string> m_paths;
    bool m_newWindow = false;
    std::unique_ptr<ClaimLock> m_lock;
    std::unique_ptr<HandOverServer> m_server;
};

} // namespace vistrel
