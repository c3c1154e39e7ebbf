#pragma once

#include "core/platform/Scheduler.h"
#include "core/platform/StatusOverlay.h"

#include <string>

namespace vistrel {

class OverlaySurface;

// The status overlay's behaviour: a message appears at half opacity and a repeating
// timer lowers the opacity by 0.01 per tick (duration x 0.02 s apart) until it would
// drop below 0; that tick hides the surface, 51 ticks after the show. A new message
// restarts the fade at once. The text and the last opacity stay after hiding.
//
// The fade timer belongs to this object: it is cancelled before a new one starts and
// when the object is destroyed, so it never fires on a dead overlay.
class OverlayFade : public StatusOverlay {
  public:
    static constexpr float shownOpacity = 0.5f;

    OverlayFade(Scheduler& scheduler, OverlaySurface& surface);
    ~OverlayFade() override;
    OverlayFade(const OverlayFade&) = delete;
    OverlayFade& operator=(const OverlayFade&) = delete;

    void showText(const std::string& text, double duration) override;
    void showPercent(double percent, const std::string& text, double duration) override;
    // One fade step; run by the fade timer.
    void dimmer();

    // `text` directly followed by `percent` truncated toward zero, a blank and "%".
    static std::string percentText(double percent, const std::string& text);

    float opacity() const { return m_opacity; }
    const std::string& text() const { return m_text; }
    bool isShown() const { return m_shown; }

  private:
    void cancelTimer();

    Scheduler& m_scheduler;
    OverlaySurface& m_surface;
    Scheduler::TimerId m_timer = Scheduler::noTimer;
    std::string m_text;
    float m_opacity = 1.0f;
    bool m_shown = false;
};

} // namespace vistrel
