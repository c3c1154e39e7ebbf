#pragma once

#include "core/platform/Scheduler.h"

#include <algorithm>
#include <map>
#include <utility>

namespace vistrel::test {

// A scheduler on a fake clock: advance() fires due timers in time order, one tick
// at a time, so timed behaviour is tested without sleeping.
class FakeScheduler : public Scheduler {
public:
    TimerId scheduleOnce(double seconds, std::function<void()> action) override {
        return add(seconds, 0.0, std::move(action));
    }
    TimerId scheduleRepeating(double seconds, std::function<void()> action) override {
        return add(seconds, seconds, std::move(action));
    }
    void cancel(TimerId id) override { m_timers.erase(id); }

    // Moves the clock forward, firing every timer that falls due on the way.
    void advance(double seconds) {
        const double end = m_now + seconds;
        while (true) {
            auto next = m_timers.end();
            for (auto it = m_timers.begin(); it != m_timers.end(); ++it)
                if (it->second.due <= end + 1e-9 && (next == m_timers.end() || it->second.due < next->second.due))
                    next = it;
            if (next == m_timers.end())
                break;
            m_now = std::max(m_now, next->second.due);
            const TimerId id = next->first;
            auto action = next->second.action;
            if (next->second.interval > 0.0)
                next->second.due += next->second.interval;
            else
                m_timers.erase(next);
            action();
            (void)id;
        }
        // A timer's action may itself have advanced the clock (a modal loop): never go back.
        m_now = std::max(m_now, end);
    }

    double now() const { return m_now; }
    std::size_t pendingCount() const { return m_timers.size(); }
    bool isPending(TimerId id) const { return m_timers.count(id) != 0; }
    // Interval of a pending timer (its period for repeating ones, its delay for one-shots).
    double delayOf(TimerId id) const { return m_timers.at(id).delay; }

private:
    struct Timer {
        double due;
        double interval;
        double delay;
        std::function<void()> action;
    };

    TimerId add(double delay, double interval, std::function<void()> action) {
        const TimerId id = ++m_lastId;
        m_timers[id] = Timer{m_now + delay, interval, delay, std::move(action)};
        return id;
    }

    double m_now = 0.0;
    TimerId m_lastId = 0;
    std::map<TimerId, Timer> m_timers;
};

} // namespace vistrel::test
