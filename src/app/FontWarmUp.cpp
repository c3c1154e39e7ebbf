#include "app/FontWarmUp.h"

#include "media/LogCategories.h"

#include <fontconfig/fontconfig.h>

namespace vistrel {

// Loading the configuration once is safe from any thread; Qt's font database later
// finds it current and does not read it again.
FontWarmUp::FontWarmUp()
    : m_thread([] {
          if (!FcInit())
              qCInfo(lcStartup) << "the font configuration could not be read ahead";
      }) {}

FontWarmUp::~FontWarmUp() {
    m_thread.join();
}

} // namespace vistrel
