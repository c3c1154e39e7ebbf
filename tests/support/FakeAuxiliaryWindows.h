#pragma once

#include "core/platform/AuxiliaryWindows.h"

namespace vistrel::test {

class FakeAuxiliaryWindows : public AuxiliaryWindows {
  public:
    void showPlaylistWindow() override { ++playlistShown; }
    void showPreferencesWindow() override { ++preferencesShown; }
    void showSeriesPanel() override {
        ++seriesPanelShown;
        seriesPanelOpen = true;
    }
    void closeSeriesPanel() override { seriesPanelOpen = false; }

    int playlistShown = 0;
    int preferencesShown = 0;
    int seriesPanelShown = 0;
    bool seriesPanelOpen = false;
};

} // namespace vistrel::test
