#include "app/AppWindows.h"

#include "app/SeriesPanel.h"
#include "controller/VistrelController.h"
#include "platform/MainWindow.h"

namespace vistrel {

AppWindows::~AppWindows() {
    delete m_seriesPanel;
}

void AppWindows::showPlaylistWindow() {}
void AppWindows::showPreferencesWindow() {}
// A tool window of the main window, so that it stays above the full-screen item.
void AppWindows::showSeriesPanel() {
    if (!m_controller)
        return;
    if (!m_seriesPanel) {
        auto* mainWindow = dynamic_cast<QWidget*>(&m_controller->services().window);
        m_seriesPanel = new SeriesPanel(*m_controller, mainWindow);
    }
    m_seriesPanel->show();
    m_seriesPanel->raise();
    m_seriesPanel->activateWindow();
    m_seriesPanel->repaint();
}

SeriesPanel* AppWindows::seriesPanel() const {
    return m_seriesPanel;
}

void AppWindows::closeSeriesPanel() {
    if (m_seriesPanel)
        m_seriesPanel->hide();
}

} // namespace vistrel
