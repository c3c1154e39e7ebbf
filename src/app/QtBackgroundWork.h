#pragma once

#include "core/platform/BackgroundWork.h"

#include <QObject>
#include <QThreadPool>

namespace vistrel {

// Work on a pool of its own; finishing steps are posted back to the GUI thread.
// Destroying it waits for running work and drops finishing steps not yet run.
class QtBackgroundWork : public BackgroundWork {
  public:
    QtBackgroundWork();
    ~QtBackgroundWork() override;

    void run(std::function<Finish()> work) override;
    void post(Finish step) override;
    // Waits until every job has run its finishing step (for tests and shutdown).
    bool waitForIdle(int timeoutMs = 30000);

  private:
    QThreadPool m_pool;
    QObject m_context; // lives on the GUI thread; finishing steps run in its thread
    int m_unfinished = 0;
};

} // namespace vistrel
