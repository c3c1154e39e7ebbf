#include "core/overlay/OverlayFade.h"

#include "core/session/PlaybackArithmetic.h"
#include "core/overlay/OverlaySurface.h"

namespace vistrel {

namespace {

constexpr double fadeStep = 0.01;
constexpr double tickPerDuration = 0.02;

} // namespace

OverlayFade::OverlayFade(Scheduler& scheduler, OverlaySurface& surface)
    : m_scheduler(scheduler), m_surface(surface) {}

OverlayFade::~OverlayFade() {
    cancelTimer();
}

void OverlayFade::showText(const std::string& text, double duration) {
    m_surface.orderFront();
    m_shown = true;
    m_opacity = shownOpacity;
    m_surface.setOpacity(m_opacity);
    m_text = text;
    m_surface.setText(m_text);
    m_surface.display();
    cancelTimer();
    m_timer = m_scheduler.scheduleRepeating(duration * tickPerDuration, [this] { dimmer(); });
}

void OverlayFade::showPercent(double percent, const std::string& text, double duration) {
    showText(percentText(percent, text), duration);
}

std::string OverlayFade::percentText(double percent, const std::string& text) {
    return text + std::to_string(playback::truncatedPercent(percent)) + " %";
}

void OverlayFade::dimmer() {
    const double x = static_cast<double>(m_opacity) - fadeStep;
    if (x < 0.0) {
        cancelTimer();
        m_shown = false;
        m_surface.orderOut();
        return;
    }
    m_opacity = static_cast<float>(x);
    m_surface.setOpacity(m_opacity);
}

void OverlayFade::cancelTimer() {
    m_scheduler.cancel(m_timer);
    m_timer = Scheduler::noTimer;
}

} // namespace vistrel
