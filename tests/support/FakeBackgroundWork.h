#pragma once

#include "platform/BackgroundWork.h"

#include <deque>
#include <utility>

namespace vistrel::test {

// Runs the work at once. With `deferFinish`, the finishing steps wait in a queue
// until finishAll(), so a test can look at the state in between.
class FakeBackgroundWork : public BackgroundWork {
  public:
    void run(std::function<Finish()> work) override {
        Finish finish = work();
        if (deferFinish)
            pending.push_back(std::move(finish));
        else if (finish)
            finish();
    }
    void finishAll() {
        while (!pending.empty()) {
            Finish finish = std::move(pending.front());
            pending.pop_front();
            if (finish)
                finish();
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

    bool deferFinish = false;
    std::deque<Finish> pending;
};

} // namespace vistrel::test
