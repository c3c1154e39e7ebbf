#include "app/WorkPool.h"

#include "media/support/LogCategories.h"

namespace vistrel {

std::shared_ptr<ThreadPool> makeWorkPool() {
    return std::make_shared<ThreadPool>(0, [](const std::string& what) {
        qCWarning(lcWork) << "background task failed:" << what.c_str();
    });
}

} // namespace vistrel
