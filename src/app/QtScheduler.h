#pragma once

#include "core/platform/Scheduler.h"

#include <QObject>
#include <functional>
#include <map>
#include <memory>

class QTimer;

namespace vistrel {

// Scheduler on the Qt event loop. Every timer is owned by the scheduler until it
// fires (one-shot), is cancelled, or the scheduler is destroyed, so no action ever
// runs after the scheduler is gone.
class QtScheduler : public Scheduler {
  public:
    QtScheduler();
    ~QtScheduler() override;
    QtScheduler(const QtScheduler&) = delete;
    QtScheduler& operator=(const QtScheduler&) = delete;

    TimerId scheduleOnce(double seconds, std::function<void()> action) override;
    TimerId scheduleRepeating(double seconds, std::function<void()> action) override;
    void cancel(TimerId id) override;

    std::size_t pendingCount() const { return m_timers.size(); }

  private:
    struct Entry {
        QTimer* timer;
        // Shared so that an action that cancels its own timer keeps running safely.
        std::shared_ptr<std::function<void()>> action;
    };

    TimerId add(double seconds, bool repeating, std::function<void()> action);
    void fire(TimerId id);
    void release(std::map<TimerId, Entry>::iterator it);

    TimerId m_lastId = noTimer;
    std::map<TimerId, Entry> m_timers;
};

} // namespace vistrel
