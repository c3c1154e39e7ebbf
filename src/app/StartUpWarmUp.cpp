#include "app/StartUpWarmUp.h"

#include "core/work/Executor.h"
#include "media/support/LogCategories.h"
#include "media/types/MimeSuffixes.h"

#include <fontconfig/fontconfig.h>
#include <memory>

namespace vistrel {

// Loading fontconfig's configuration once is safe from any thread; Qt's font database
// later finds it current and does not read it again. The MIME database is a static
// made once, whichever thread asks first.
StartUpWarmUp::StartUpWarmUp(Executor& executor) {
    auto warmUp = std::make_shared<std::packaged_task<void()>>([] {
        if (!FcInit())
            qCInfo(lcStartup) << "the font configuration could not be read ahead";
        MimeSuffixes::installed();
    });
    m_done = warmUp->get_future();
    executor.submit([warmUp] { (*warmUp)(); }, WorkPriority::onScreen);
}

StartUpWarmUp::~StartUpWarmUp() {
    m_done.wait();
}

} // namespace vistrel
