#include "media/support/WorkPool.h"

#include "media/support/LogCategories.h"

#include <algorithm>
#include <thread>

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
    // A decode splits into as many parts as there are cores: the executor's spare worker
    // is for tasks that wait, not for more parts than can run at once.
    parallelism.width = std::min<std::size_t>(executor.width(), std::max(1u, std::thread::hardware_concurrency()));
    return parallelism;
}

} // namespace vistrel
