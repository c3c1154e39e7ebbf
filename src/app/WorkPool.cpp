#include "app/WorkPool.h"

#include "media/support/LogCategories.h"

namespace vistrel {

std::shared_ptr<ThreadPool> makeWorkPool() {
    return std::make_shared<ThreadPool>(0, [](const std::string& what) {
        qCWarning(lcWork) << "background task failed:" << what.c_str();
    });
}

Parallelism parallelismOf(Executor& executor) {
    Parallelism parallelism;
    parallelism.forEach = [&executor](std::size_t count, const std::function<void(std::size_t)>& body) {
        executor.forEach(count, body);
    };
    parallelism.startIfIdle = [&executor](std::function<void()>& task) { return executor.startIfIdle(task); };
    parallelism.width = executor.width();
    return parallelism;
}

} // namespace vistrel
