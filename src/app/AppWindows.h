#pragma once

#include "platform/AuxiliaryWindows.h"

namespace vistrel {

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

  private:
    VistrelController* m_controller = nullptr;
};

} // namespace vistrel
