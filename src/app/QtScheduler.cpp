#include "app/QtScheduler.h"

#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>

namespace vistrel {

namespace {

int milliseconds(double seconds) {
    if (!(seconds > 0.0)) // also NaN
        return 0;
    const double ms = std::round(seconds * 1000.0);
    return static_cast<int>(std::min(ms, static_cast<double>(std::numeric_limits<int>::max())));
}

} // namespace

QtScheduler::QtScheduler() = default;

// Not reached from inside a timer's own action, so the timers can go at once.
QtScheduler::~QtScheduler() {
    for (auto& [id, entry] : m_timers)
        delete entry.timer;
}

Scheduler::TimerId QtScheduler::scheduleOnce(double seconds, std::function<void()> action) {
    return add(seconds, false, std::move(action));
}

Scheduler::TimerId QtScheduler::scheduleRepeating(double seconds, std::function<void()> action) {
    return add(seconds, true, std::move(action));
}

void QtScheduler::cancel(TimerId id) {
    const auto it = m_timers.find(id);
    if (it != m_timers.end())
        release(it);
}

Scheduler::TimerId QtScheduler::add(double seconds, bool repeating, std::function<void()> action) {
    const TimerId id = ++m_lastId;
    auto* timer = new QTimer;
    timer->setTimerType(Qt::PreciseTimer);
    timer->setSingleShot(!repeating);
    timer->setInterval(milliseconds(seconds));
    QObject::connect(timer, &QTimer::timeout, timer, [this, id] { fire(id); });
    m_timers.emplace(id, Entry{timer, std::make_shared<std::function<void()>>(std::move(action))});
    timer->start();
    return id;
}

void QtScheduler::fire(TimerId id) {
    const auto it = m_timers.find(id);
    if (it == m_timers.end())
        return;
    const auto action = it->second.action;
    if (it->second.timer->isSingleShot())
        release(it);
    if (*action)
        (*action)();
}

// The timer may be the one whose timeout is being delivered right now, so it is
// stopped at once and deleted once control is back in the event loop.
void QtScheduler::release(std::map<TimerId, Entry>::iterator it) {
    QTimer* timer = it->second.timer;
    m_timers.erase(it);
    timer->stop();
    timer->disconnect();
    timer->deleteLater();
}

} // namespace vistrel
