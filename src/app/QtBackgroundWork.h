#pragma once

#include "core/platform/BackgroundWork.h"

#include <QObject>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace vistrel {

class Executor;

// Work on the program's executor; finishing steps are posted back to the GUI thread.
// Destroying it drops the jobs not yet started, waits for those running and drops
// finishing steps not yet run.
class QtBackgroundWork : public BackgroundWork {
  public:
    explicit QtBackgroundWork(Executor& executor);
    ~QtBackgroundWork() override;
    QtBackgroundWork(const QtBackgroundWork&) = delete;
    QtBackgroundWork& operator=(const QtBackgroundWork&) = delete;

    void run(std::function<Finish()> work, WorkPriority priority = WorkPriority::background) override;
    void post(Finish step) override;
    // Waits until every job has run its finishing step (for tests and shutdown).
    bool waitForIdle(int timeoutMs = 30000);

  private:
    // The jobs on the executor, shared with them so that one starting late finds it closed.
    struct Jobs {
        std::mutex mutex;
        std::condition_variable ended;
        int running = 0;
        bool closed = false;
    };

    Executor& m_executor;
    std::shared_ptr<Jobs> m_jobs = std::make_shared<Jobs>();
    QObject m_context; // lives on the GUI thread; finishing steps run in its thread
    int m_unfinished = 0;
};

} // namespace vistrel
