#pragma once

#include "core/platform/AuxiliaryWindows.h"

#include <QPointer>

#include <memory>

namespace vistrel {

class PlaylistWindowView;
class PreferencesWindow;
class SeriesPanel;
class VistrelController;

// The play list window, the settings window and the picture series panel, each
// built the first time it is shown and kept for the rest of the run.
class AppWindows : public AuxiliaryWindows {
  public:
    AppWindows();
    ~AppWindows() override;

    // Withdrawing the controller (nullptr) also takes down the windows built on it.
    void setMovieController(VistrelController* controller);

    void showPlaylistWindow() override;
    void showPreferencesWindow() override;
    void showSeriesPanel() override;
    void closeSeriesPanel() override;

    // The play list window once it was shown, else nullptr.
    PlaylistWindowView* playlistWindow() const { return m_playlistWindow.get(); }
    // The series panel once it was first shown, else nullptr.
    SeriesPanel* seriesPanel() const;

  private:
    VistrelController* m_controller = nullptr;
    std::unique_ptr<PlaylistWindowView> m_playlistWindow;
    std::unique_ptr<PreferencesWindow> m_preferencesWindow;
    // Owned by the main window, its parent; deleted here when it is still there.
    QPointer<SeriesPanel> m_seriesPanel;
};

} // namespace vistrel
