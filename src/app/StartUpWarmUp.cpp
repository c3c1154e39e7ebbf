#include "app/StartUpWarmUp.h"

#include "media/support/LogCategories.h"
#include "media/types/MimeSuffixes.h"

#include <fontconfig/fontconfig.h>

namespace vistrel {

// Loading fontconfig's configuration once is safe from any thread; Qt's font database
// later finds it current and does not read it again. The MIME database is a static
// made once, whichever thread asks first.
StartUpWarmUp::StartUpWarmUp()
    : m_thread([] {
          if (!FcInit())
              qCInfo(lcStartup) << "the font configuration could not be read ahead";
          MimeSuffixes::installed();
      }) {}

StartUpWarmUp::~StartUpWarmUp() {
    m_thread.join();
}

} // namespace vistrel
