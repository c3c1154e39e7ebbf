#pragma once

#include "core/events/Signal.h"
#include "core/platform/AuxiliaryWindows.h"

namespace vistrel {

// The requests for the windows beside the main one, as events. Those windows show
// logic the controller owns, so they are built after it and cannot be handed to it;
// the controller asks through this object instead and the windows listen, until they
// go away. A request nobody listens for changes nothing.
class WindowRequests : public AuxiliaryWindows {
  public:
    void showPlaylistWindow() override { playlistWindowWanted.notify(); }
    void showPreferencesWindow() override { preferencesWindowWanted.notify(); }
    void showSeriesPanel() override { seriesPanelWanted.notify(); }
    void closeSeriesPanel() override { seriesPanelDone.notify(); }

    Signal<> playlistWindowWanted;
    Signal<> preferencesWindowWanted;
    Signal<> seriesPanelWanted;
    Signal<> seriesPanelDone;
};

} // namespace vistrel
