#include "app/QtBackgroundWork.h"

#include "core/work/Executor.h"
#include "media/support/LogCategories.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <exception>

namespace vistrel {

QtBackgroundWork::QtBackgroundWork(Executor& executor) : m_executor(executor) {}

QtBackgroundWork::~QtBackgroundWork() {
    std::unique_lock lock(m_jobs->mutex);
    m_jobs->closed = true;
    m_jobs->ended.wait(lock, [this] { return m_jobs->running == 0; });
}

void QtBackgroundWork::run(std::function<Finish()> work, WorkPriority priority) {
    ++m_unfinished;
    m_executor.submit(
        [this, jobs = m_jobs, work = std::move(work)] {
            {
                const std::lock_guard lock(jobs->mutex);
                if (jobs->closed)
                    return;
                ++jobs->running;
            }
            Finish finish;
            try {
                finish = work();
            } catch (const std::exception& error) {
                qCWarning(lcWork) << "background work failed:" << error.what();
            }
            QMetaObject::invokeMethod(
                &m_context,
                [this, finish = std::move(finish)] {
                    --m_unfinished;
                    if (finish)
                        finish();
                },
                Qt::QueuedConnection);
            const std::lock_guard lock(jobs->mutex);
            if (--jobs->running == 0)
                jobs->ended.notify_all();
        },
        priority);
}

// Straight onto the GUI thread's queue, behind whatever the same thread posted before
// (the job's own finishing step is posted last, so it comes after its parts).
void QtBackgroundWork::post(Finish step) {
    QMetaObject::invokeMethod(
        &m_context,
        [step = std::move(step)] {
            if (step)
                step();
        },
        Qt::QueuedConnection);
}

bool QtBackgroundWork::waitForIdle(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (m_unfinished > 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return m_unfinished == 0;
}

} // namespace vistrel
