#include "core/session/SlideShow.h"

#include "core/controller/ModalGuard.h"
#include "core/controller/Sender.h"
#include "core/platform/StatusOverlay.h"
#include "core/playlist/PlaylistStore.h"

#include <utility>

namespace vistrel {

namespace {

constexpr double announcementDuration = 4.0;

} // namespace

SlideShow::SlideShow(Scheduler& scheduler, ModalGuard& modals, StatusOverlay& overlay,
                     const PlaylistStore& list, std::function<void()> advance)
    : m_scheduler(scheduler), m_modals(modals), m_overlay(overlay), m_list(list),
      m_advance(std::move(advance)) {}

// A pending advance must not reach a show that is gone.
SlideShow::~SlideShow() {
    m_scheduler.cancel(m_pendingAdvance);
}

void SlideShow::toggle(Sender* sender) {
    m_running = !m_running;
    m_unshown.restart();
    if (sender)
        sender->setState(m_running ? 1 : 0);
    runningChanged.notify(m_running);
    if (!m_running)
        cancelPendingAdvance();
    m_overlay.showText(m_running ? "Start Loop" : "Stop Loop", announcementDuration);
    itemEnded();
}

void SlideShow::stop() {
    m_running = false;
    runningChanged.notify(false);
    cancelPendingAdvance();
    m_overlay.showText("Stop Loop", announcementDuration);
}

// At most one advance is pending: a new one replaces the old.
void SlideShow::itemEnded() {
    if (!m_running)
        return;
    cancelPendingAdvance();
    m_pendingAdvance = m_scheduler.scheduleOnce(static_cast<double>(m_interval), [this] {
        m_pendingAdvance = Scheduler::noTimer;
        m_modals.whenFree([this] { advance(); });
    });
}

// An item the show cannot show is passed over after the interval like a shown one;
// otherwise the show would halt there without a word.
void SlideShow::itemUnshown() {
    if (!m_running)
        return;
    if (m_unshown.completesRound(m_list.fileList().size()))
        stop();
    else
        itemEnded();
}

// An advance held under a modal may come due after the show was switched off.
void SlideShow::advance() {
    if (m_running)
        m_advance();
}

void SlideShow::cancelPendingAdvance() {
    m_scheduler.cancel(m_pendingAdvance);
    m_pendingAdvance = Scheduler::noTimer;
}

} // namespace vistrel
