#include "app/AppWindows.h"

#include "app/SeriesPanel.h"
#include "core/platform/AuxiliaryWindowLogic.h"
#include "core/platform/WindowRequests.h"
#include "media/support/LogCategories.h"
#include "playlist/PlaylistWindowView.h"
#include "settings/PreferencesWindow.h"

namespace vistrel {

AppWindows::AppWindows(QWidget& mainWindow, AuxiliaryWindowLogic& logic, WindowRequests& requests)
    : m_mainWindow(mainWindow), m_logic(logic),
      m_playlistWanted(requests.playlistWindowWanted.connect([this] { showPlaylistWindow(); })),
      m_preferencesWanted(requests.preferencesWindowWanted.connect([this] { showPreferencesWindow(); })),
      m_seriesPanelWanted(requests.seriesPanelWanted.connect([this] { showSeriesPanel(); })),
      m_seriesPanelDone(requests.seriesPanelDone.connect([this] { closeSeriesPanel(); })) {}

AppWindows::~AppWindows() {
    delete m_seriesPanel;
}

void AppWindows::showPlaylistWindow() {
    if (!m_playlistWindow) {
        PlaylistWindow* logic = m_logic.playlistWindow();
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
    PreferencesWindow::showBuiltOnce(m_preferencesWindow, m_logic.prefs());
}

// A tool window of the main window, so that it stays above the full-screen item.
void AppWindows::showSeriesPanel() {
    if (!m_seriesPanel)
        m_seriesPanel = new SeriesPanel(m_logic.pictureSeries(), &m_mainWindow);
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
