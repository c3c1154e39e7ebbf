#pragma once

#include "core/events/Signal.h"

#include <QPointer>
#include <memory>

class QWidget;

namespace vistrel {

class AuxiliaryWindowLogic;
class PlaylistWindowView;
class PreferencesWindow;
class SeriesPanel;
class WindowRequests;

// The play list window, the settings window and the picture series panel, each
// built the first time it is asked for and kept for the rest of the run. They show
// the logic they are given, which must outlive them; they stop listening for
// requests when they go.
class AppWindows {
  public:
    // `mainWindow` carries the series panel, a tool window that stays above it.
    AppWindows(QWidget& mainWindow, AuxiliaryWindowLogic& logic, WindowRequests& requests);
    ~AppWindows();
    AppWindows(const AppWindows&) = delete;
    AppWindows& operator=(const AppWindows&) = delete;

    void showPlaylistWindow();
    void showPreferencesWindow();
    void showSeriesPanel();
    void closeSeriesPanel();

    // The play list window once it was shown, else nullptr.
    PlaylistWindowView* playlistWindow() const { return m_playlistWindow.get(); }
    // The series panel once it was first shown, else nullptr.
    SeriesPanel* seriesPanel() const;

  private:
    QWidget& m_mainWindow;
    AuxiliaryWindowLogic& m_logic;
    std::unique_ptr<PlaylistWindowView> m_playlistWindow;
    std::unique_ptr<PreferencesWindow> m_preferencesWindow;
    // Owned by the main window, its parent; deleted here when it is still there.
    QPointer<SeriesPanel> m_seriesPanel;
    Connection m_playlistWanted;
    Connection m_preferencesWanted;
    Connection m_seriesPanelWanted;
    Connection m_seriesPanelDone;
};

} // namespace vistrel
