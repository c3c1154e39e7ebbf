#pragma once

#include "platform/AuxiliaryWindows.h"

#include <QPointer>

namespace vistrel {

class SeriesPanel;
class VistrelController;

// The play list window, the settings window and the picture series panel, each
// built the first time it is shown and kept for the rest of the run.
class AppWindows : public AuxiliaryWindows {
  public:
    AppWindows() = default;
    ~AppWindows() override;

    void setMovieController(VistrelController* controller) { m_controller = controller; }

    void showPlaylistWindow() override;
    void showPreferencesWindow() override;
    void showSeriesPanel() override;
    void closeSeriesPanel() override;

    // The series panel once it was first shown, else nullptr.
    SeriesPanel* seriesPanel() const;

  private:
    VistrelController* m_controller = nullptr;
    // Owned by the main window, its parent; deleted here when it is still there.
    QPointer<SeriesPanel> m_seriesPanel;
};

} // namespace vistrel
