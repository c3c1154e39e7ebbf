#pragma once

#include "core/work/WorkPriority.h"

#include <cstddef>
#include <functional>

namespace vistrel {

// The one owner of the program's background threads. Everything slow (decoding,
// scanning, reading, writing, loading a module) runs on it; nothing else starts threads.
class Executor {
  public:
    virtual ~Executor() = default;

    // Runs `task` on a worker, after the more urgent tasks waiting.
    virtual void submit(std::function<void()> task, WorkPriority priority = WorkPriority::background) = 0;

    // Runs body(0) .. body(count - 1) and returns once all have run. Idle workers join
    // in; an index nobody else took runs on the calling thread, so this finishes even
    // when every worker is busy (and may be called from a worker). The first exception
    // a body throws is rethrown here, after every body that started has ended.
    virtual void forEach(std::size_t count, const std::function<void(std::size_t)>& body) = 0;

    // Starts `task` on a worker that is idle now and returns true; otherwise returns
    // false and leaves `task` as it was. For a stage that must never queue behind the
    // work that feeds it.
    virtual bool startIfIdle(std::function<void()>& task) = 0;

    // How many tasks can run at the same time.
    virtual std::size_t width() const = 0;
};

} // namespace vistrel
