#pragma once

#include <cstdint>
#include <functional>

namespace vistrel {

// One-shot and repeating timers on the application's event loop. The core never
// reads the clock itself: tests drive a fake scheduler tick by tick.
class Scheduler {
public:
    using TimerId = std::uint64_t;
    static constexpr TimerId noTimer = 0;

    virtual ~Scheduler() = default;

    // Runs `action` once, `seconds` from now. Never returns noTimer.
    virtual TimerId scheduleOnce(double seconds, std::function<void()> action) = 0;
    // Runs `action` every `seconds` until cancelled. Never returns noTimer.
    virtual TimerId scheduleRepeating(double seconds, std::function<void()> action) = 0;
    // Stops a timer; ids that fired, were cancelled or are noTimer are ignored.
    // A timer may cancel itself from inside its own action.
    virtual void cancel(TimerId id) = 0;
};

} // namespace vistrel
