#include "display/CInfoW.h"

#include "display/CompositorProbe.h"

namespace vistrel {

namespace {

CInfoSurface::Kind surfaceKind(CInfoW::Placement placement) {
    switch (placement) {
    case CInfoW::Placement::Window:
        return CInfoSurface::Kind::Window;
    case CInfoW::Placement::Layer:
        return CInfoSurface::Kind::Layer;
    case CInfoW::Placement::Automatic:
        break;
    }
    // A Wayland client cannot place a window: an overlay window would land wherever the
    // compositor puts it, below a full-screen main window. The layer always lies over
    // the item.
    if (CompositorProbe::isWayland())
        return CInfoSurface::Kind::Layer;
    return CompositorProbe::hasCompositingManager() ? CInfoSurface::Kind::Window : CInfoSurface::Kind::Layer;
}

} // namespace

CInfoW::CInfoW(QWidget* mainWindow, Scheduler& scheduler, Placement placement)
    : m_surface(surfaceKind(placement), mainWindow), m_fade(scheduler, m_surface) {}

CInfoW::~CInfoW() = default;

void CInfoW::showText(const std::string& text, double duration) {
    m_fade.showText(text, duration);
}

void CInfoW::showPercent(double percent, const std::string& text, double duration) {
    m_fade.showPercent(percent, text, duration);
}

} // namespace vistrel
