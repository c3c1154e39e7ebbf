#pragma once

namespace vistrel {

class PictureSeries;
class PlaylistWindow;
class Preferences;

// The logic the windows beside the main one show, owned by the controller.
class AuxiliaryWindowLogic {
  public:
    virtual ~AuxiliaryWindowLogic() = default;

    virtual PlaylistWindow* playlistWindow() = 0;
    // nullptr until the start-up (or the settings command) makes it.
    virtual Preferences* prefs() = 0;
    virtual PictureSeries& pictureSeries() = 0;
};

} // namespace vistrel
