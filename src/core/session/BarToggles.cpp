#include "core/session/BarToggles.h"

#include "core/platform/MainWindow.h"
#include "core/session/Placement.h"
#include "core/view/PictureView.h"

namespace vistrel {

BarToggles::BarToggles(MainWindow& window, PictureView& view, Placement& placement)
    : m_window(window), m_view(view), m_placement(placement) {}

void BarToggles::toggleMenuBar() {
    m_window.setMenuBarVisible(!m_window.menuBarVisible());
}

void BarToggles::pointerEnteredMenuStrip() {
    if (!m_window.menuBarVisible())
        toggleMenuBar();
}

void BarToggles::toggleMovieControls() {
    const bool wasVisible = m_view.isControllerVisible();
    m_view.setControllerVisible(!wasVisible);
    m_view.setFirstResponder(wasVisible);
    if (wasVisible)
        m_window.makeViewFirstResponder();
    m_placement.scale();
    m_view.play();
}

} // namespace vistrel
