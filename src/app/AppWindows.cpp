#include "app/AppWindows.h"

#include "app/SeriesPanel.h"
#include "core/controller/VistrelController.h"
#include "media/support/LogCategories.h"
#include "core/platform/MainWindow.h"
#include "playlist/PlaylistWindowView.h"
#include "settings/PreferencesWindow.h"

namespace vistrel {

AppWindows::AppWindows() = default;

AppWindows::~AppWindows() {
    delete m_seriesPanel;
}

void AppWindows::setMovieController(VistrelController* controller) {
    // The windows show the controller's own state: they go before it does.
    if (!controller) {
        m_playlistWindow.reset();
        m_preferencesWindow.reset();
        delete m_seriesPanel;
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

// A tool window of the main window, so that it stays above the full-screen item.
void AppWindows::showSeriesPanel() {
    if (!m_controller)
        return;
    if (!m_seriesPanel) {
        auto* mainWindow = dynamic_cast<QWidget*>(&m_controller->services().window);
        m_seriesPanel = new SeriesPanel(*m_controller, mainWindow);
    }
    m_seriesPanel->show();
    m_seriesPanel->raise();
    m_seriesPanel->activateWindow();
    m_seriesPanel->repaint();
}

SeriesPanel* AppWindows::seriesPanel() const {
    return m_seriesPanel;
}

void AppWindows::closeSeriesPanel() {
    if (m_seriesPanel)
        m_seriesPanel->hide();
}

} // namespace vistrel
