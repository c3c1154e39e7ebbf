#include "app/RunningViewer.h"

#include "app/ClaimLock.h"
#include "app/HandOverClient.h"
#include "app/InstanceLog.h"
#include "core/intake/ViewerAddress.h"

#include <QFile>
#include <cstdlib>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcInstance, "vistrel.instance", QtWarningMsg)

namespace vistrel {

namespace {

QString problemOf(handoverclient::Outcome outcome) {
    switch (outcome) {
    case handoverclient::Outcome::refused:
        return QStringLiteral("the running viewer refused the files");
    case handoverclient::Outcome::noAnswer:
        return QStringLiteral("the running viewer did not answer");
    case handoverclient::Outcome::unsendable:
        return QStringLiteral("too many files, or too long names, to hand to the running viewer");
    case handoverclient::Outcome::accepted:
    case handoverclient::Outcome::noViewer:
        break;
    }
    return {};
}

} // namespace

QString RunningViewer::defaultSocketPath() {
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    const QByteArray display = wayland.isEmpty() ? qgetenv("DISPLAY") : wayland;
    const auto folder = vieweraddress::socketFolder(std::getenv("XDG_RUNTIME_DIR"), "/tmp", ::getuid());
    if (!folder.path) {
        qCWarning(lcInstance).noquote()
            << "no folder for the hand-over socket:" << QString::fromStdString(folder.problem);
        return {};
    }
    const std::string name = vieweraddress::socketName(display.toStdString(), ::getuid());
    return QFile::decodeName(QByteArray::fromStdString(*folder.path + "/" + name));
}

RunningViewer::RunningViewer(QString socketPath) : m_socketPath(std::move(socketPath)) {}

RunningViewer::~RunningViewer() = default;

RunningViewer::Claim RunningViewer::claim(const std::vector<std::string>& paths, bool newWindow) {
    if (m_socketPath.isEmpty())
        return {Role::alone, {}};
    m_lock = std::make_unique<ClaimLock>(m_socketPath + QStringLiteral(".lock"));
    m_paths = paths;
    m_newWindow = newWindow;
    if (newWindow && handoverclient::viewerListens(m_socketPath)) {
        m_lock.reset();
        return {Role::alone, {}};
    }
    const auto outcome =
        newWindow ? handoverclient::Outcome::noViewer : handoverclient::handOver(m_socketPath, paths);
    if (outcome == handoverclient::Outcome::noViewer)
        return {Role::toServe, {}};
    m_lock.reset();
    if (outcome == handoverclient::Outcome::accepted)
        return {Role::handedOver, {}};
    return {Role::failed, problemOf(outcome)};
}

RunningViewer::Role RunningViewer::serve() {
    if (!m_lock)
        return Role::alone;
    const bool listening = listen();
    m_lock.reset();
    if (listening)
        return Role::serving;
    // Without the lock another viewer may have just taken the socket: hand over to it.
    if (!m_newWindow && handoverclient::handOver(m_socketPath, m_paths) == handoverclient::Outcome::accepted)
        return Role::handedOver;
    return Role::alone;
}

// Nobody answers on the socket, so a file there was left by a viewer that ended
// without removing it.
bool RunningViewer::listen() {
    ::unlink(QFile::encodeName(m_socketPath).constData());
    auto server = std::make_unique<HandOverServer>();
    if (!server->listen(m_socketPath))
        return false;
    m_server = std::move(server);
    return true;
}

} // namespace vistrel
