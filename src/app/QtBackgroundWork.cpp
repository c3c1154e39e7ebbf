#include "app/QtBackgroundWork.h"

#include "media/support/LogCategories.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPointer>

#include <exception>

namespace vistrel {

QtBackgroundWork::QtBackgroundWork() {
    // Leaves a core for the GUI thread and the movie engine.
    m_pool.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
}

QtBackgroundWork::~QtBackgroundWork() {
    m_pool.waitForDone();
}

void QtBackgroundWork::run(std::function<Finish()> work) {
    ++m_unfinished;
    QPointer<QObject> context(&m_context);
    m_pool.start([this, context, work = std::move(work)] {
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
    });
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
