#pragma once

namespace vistrel {

// The windows beside the main one. Each is built the first time it is shown.
class AuxiliaryWindows {
public:
    virtual ~AuxiliaryWindows() = default;
    virtual void showPlaylistWindow() = 0;
    virtual void showPreferencesWindow() = 0;
    virtual void showSeriesPanel() = 0;
    virtual void closeSeriesPanel() = 0;
};

} // namespace vistrel
