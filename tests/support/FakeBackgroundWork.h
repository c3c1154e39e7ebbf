#pragma once

#include "core/platform/BackgroundWork.h"

#include <deque>
#include <functional>
#include <utility>
#include <vector>

namespace vistrel::test {

// Runs the work at once. With `deferFinish`, the finishing steps wait in a queue
// until finishAll(), so a test can look at the state in between. With `deferWork`,
// the work itself waits in a queue until runQueued(), as in a busy pool.
class FakeBackgroundWork : public BackgroundWork {
  public:
    void run(std::function<Finish()> work, WorkPriority priority = WorkPriority::background) override {
        priorities.push_back(priority);
        if (deferWork)
            queued.push_back(std::move(work));
        else
            finishOrKeep(work());
    }
    void finishAll() {
        while (!pending.empty()) {
            Finish finish = std::move(pending.front());
            pending.pop_front();
            if (finish)
                finish();
        }
    }

    // Runs the oldest queued work (and its finishing step, unless deferred); false
    // when none was queued. Work queued meanwhile waits behind.
    bool runOne() {
        if (queued.empty())
            return false;
        std::function<Finish()> work = std::move(queued.front());
        queued.pop_front();
        finishOrKeep(work());
        return true;
    }
    void runQueued() {
        while (runOne()) {
        }
    }

    // Runs the oldest waiting finishing step (or posted step); false when none waits.
    bool finishNext() {
        if (pending.empty())
            return false;
        Finish finish = std::move(pending.front());
        pending.pop_front();
        if (finish)
            finish();
        return true;
    }

    std::vector<WorkPriority> priorities; // of every job, in the order run was called
    bool deferFinish = false;
    std::deque<Finish> pending;
    bool deferWork = false;
    std::deque<std::function<Finish()>> queued;

  private:
    void finishOrKeep(Finish finish) {
        if (deferFinish)
            pending.push_back(std::move(finish));
        else if (finish)
            finish();
    }
};

} // namespace vistrel::test
