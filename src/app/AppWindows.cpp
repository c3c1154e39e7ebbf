#include "app/AppWindows.h"

#include "controller/VistrelController.h"
#include "settings/PreferencesWindow.h"

namespace vistrel {

AppWindows::AppWindows() = default;
AppWindows::~AppWindows() = default;

void AppWindows::showPlaylistWindow() {}
void AppWindows::showPreferencesWindow() {
    PreferencesWindow::showBuiltOnce(m_preferencesWindow, m_controller ? m_controller->prefs() : nullptr);
}
void AppWindows::showSeriesPanel() {}
void AppWindows::closeSeriesPanel() {}

} // namespace vistrel
