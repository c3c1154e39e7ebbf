#pragma once

#include "core/work/WorkPriority.h"

#include <functional>
#include <utility>

namespace vistrel {

// Runs slow work (decoding, encoding, writing, probing) away from the GUI thread.
// `work` runs on a worker and returns the step that finishes the job; that step
// runs later on the GUI thread, where all state lives. Tests run both at once.
class BackgroundWork {
public:
    using Finish = std::function<void()>;
    virtual ~BackgroundWork() = default;
    virtual void run(std::function<Finish()> work, WorkPriority priority = WorkPriority::background) = 0;
    // Runs `step` later on the GUI thread; callable from any thread, so work that
    // delivers its results in parts posts each part. Steps posted from one thread run
    // in the order posted, and before the finishing step of the job that posted them.
    virtual void post(Finish step) {
        run([step = std::move(step)] { return step; });
    }
};

} // namespace vistrel
