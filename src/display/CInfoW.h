#pragma once

#include "display/CInfoSurface.h"
#include "core/overlay/OverlayFade.h"
#include "core/platform/StatusOverlay.h"

class QWidget;

namespace vistrel {

class CInfoView;
class Scheduler;

// The status overlay: a short text over the screen at half opacity that fades out.
// On a compositing desktop it is a translucent window over the whole screen; without
// one, a translucent layer over the main window's content, so that the item always
// shows through.
class CInfoW : public StatusOverlay {
  public:
    enum class Placement { Automatic, Window, Layer };

    // `mainWindow`: the main window to layer over or whose screen to cover; not owned.
    CInfoW(QWidget* mainWindow, Scheduler& scheduler, Placement placement = Placement::Automatic);
    ~CInfoW() override;
    CInfoW(const CInfoW&) = delete;
    CInfoW& operator=(const CInfoW&) = delete;

    void showText(const std::string& text, double duration) override;
    void showPercent(double percent, const std::string& text, double duration) override;

    float opacity() const { return m_fade.opacity(); }
    bool isShown() const { return m_fade.isShown(); }
    CInfoView* view() const { return m_surface.view(); }
    bool isLayer() const { return m_surface.kind() == CInfoSurface::Kind::Layer; }

  private:
    // The fade is declared last so that it goes first and its timer never outlives the surface.
    CInfoSurface m_surface;
    OverlayFade m_fade;
};

} // namespace vistrel
