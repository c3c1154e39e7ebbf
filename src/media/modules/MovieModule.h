#pragma once

#include "media/modules/MovieEngine.h"

#include <memory>

namespace vistrel {

// The loadable module that carries libmpv and libavformat (see LoadableModule), loaded
// the first time a movie is needed; $VISTREL_MOVIE_MODULE names another file for it.
class MovieModule {
  public:
    // A new engine; nullptr (logged in "vistrel.media.mpv") when the module cannot be
    // found or loaded. The first call loads the module and blocks meanwhile: call it off
    // the GUI thread. Safe from any thread.
    static std::unique_ptr<MovieEngine> createEngine();
};

} // namespace vistrel
