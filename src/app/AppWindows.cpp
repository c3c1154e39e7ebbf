#include "app/AppWindows.h"

#include "controller/VistrelController.h"
#include "playlist/PlaylistWindowView.h"
#include "settings/PreferencesWindow.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcWindows, "vistrel.windows", QtWarningMsg)

namespace vistrel {

AppWindows::AppWindows() = default;
AppWindows::~AppWindows() = default;

void AppWindows::setMovieController(VistrelController* controller) {
    // The windows show the controller's own state: they go before it does.
    if (!controller) {
        m_playlistWindow.reset();
        m_preferencesWindow.reset();
    }
    m_controller = controller;
}

void AppWindows::showPlaylistWindow() {
    if (!m_playlistWindow) {
        PlaylistWindow* logic = m_controller ? m_controller->playlistWindow() : nullptr;
        if (!logic) {
            qCWarning(lcWindows) << "play list window asked for before the controller started";
            return;
        }
        m_playlistWindow = std::make_unique<PlaylistWindowView>(*logic);
    }
    m_playlistWindow->show();
    m_playlistWindow->raise();
    m_playlistWindow->activateWindow();
}

void AppWindows::showPreferencesWindow() {
    PreferencesWindow::showBuiltOnce(m_preferencesWindow, m_controller ? m_controller->prefs() : nullptr);
}
void AppWindows::showSeriesPanel() {}
void AppWindows::closeSeriesPanel() {}

} // namespace vistrel
