#pragma once

#include <functional>

namespace vistrel {

// Runs slow work (decoding, encoding, writing, probing) away from the GUI thread.
// `work` runs on a worker and returns the step that finishes the job; that step
// runs later on the GUI thread, where all state lives. Tests run both at once.
class BackgroundWork {
public:
    using Finish = std::function<void()>;
    virtual ~BackgroundWork() = default;
    virtual void run(std::function<Finish()> work) = 0;
};

} // namespace vistrel
