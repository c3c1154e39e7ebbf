#pragma once

#include "core/events/Signal.h"
#include "core/platform/Scheduler.h"
#include "core/session/UnshownRun.h"

#include <functional>

namespace vistrel {

class ModalGuard;
class PlaylistStore;
class Sender;
class StatusOverlay;

// The slide show: whether it runs, its interval, and the one advance pending. An item
// that ends (a picture as soon as it is shown, a movie at its end) schedules the
// advance; an advance that comes due while a modal is up waits for it to close.
class SlideShow {
  public:
    SlideShow(Scheduler& scheduler, ModalGuard& modals, StatusOverlay& overlay, const PlaylistStore& list,
              std::function<void()> advance);
    ~SlideShow();
    SlideShow(const SlideShow&) = delete;
    SlideShow& operator=(const SlideShow&) = delete;

    bool running() const { return m_running; }
    float interval() const { return m_interval; }
    void setInterval(float seconds) { m_interval = seconds; }

    // Switches the show on or off; the sender shows the new state.
    void toggle(Sender* sender);
    void stop();
    // Off without a word, as the viewer starts.
    void reset() { m_running = false; }

    // The item on screen is done: the next follows after the interval while the show runs.
    void itemEnded();
    void itemShown() { m_unshown.shown(); }
    void itemUnshown();

    // Emitted whenever the show is switched on or off, by whatever means.
    Signal<bool> runningChanged;

  private:
    void advance();
    void cancelPendingAdvance();

    Scheduler& m_scheduler;
    ModalGuard& m_modals;
    StatusOverlay& m_overlay;
    const PlaylistStore& m_list;
    std::function<void()> m_advance;
    bool m_running = false;
    float m_interval = 5.0f;
    UnshownRun m_unshown;
    Scheduler::TimerId m_pendingAdvance = Scheduler::noTimer;
};

} // namespace vistrel
