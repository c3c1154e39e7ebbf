#include "app/AppWindows.h"

namespace vistrel {

AppWindows::~AppWindows() = default;

void AppWindows::showPlaylistWindow() {}
void AppWindows::showPreferencesWindow() {}
void AppWindows::showSeriesPanel() {}
void AppWindows::closeSeriesPanel() {}

} // namespace vistrel
