#pragma once

#include "platform/AuxiliaryWindows.h"

#include <memory>

namespace vistrel {

class PreferencesWindow;
class VistrelController;

// The play list window, the settings window and the picture series panel, each
// built the first time it is shown and kept for the rest of the run.
class AppWindows : public AuxiliaryWindows {
  public:
    AppWindows();
    ~AppWindows() override;

    void setMovieController(VistrelController* controller) { m_controller = controller; }

    void showPlaylistWindow() override;
    void showPreferencesWindow() override;
    void showSeriesPanel() override;
    void closeSeriesPanel() override;

  private:
    VistrelController* m_controller = nullptr;
    std::unique_ptr<PreferencesWindow> m_preferencesWindow;
};

} // namespace vistrel
