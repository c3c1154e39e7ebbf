#pragma once

#include "media/modules/MovieEngine.h"

#include <memory>
#include <string>

namespace vistrel {

// The loadable module that carries libmpv and libavformat (see LoadableModule), loaded
// the first time a movie is needed; $VISTREL_MOVIE_MODULE names another file for it.
class MovieModule {
  public:
    // A new engine; nullptr (logged in "vistrel.media.mpv") when the module cannot be
    // found or loaded. The first call loads the module and blocks meanwhile: call it off
    // the GUI thread. Safe from any thread.
    static std::unique_ptr<MovieEngine> createEngine();

    // Maps the module's libraries now, when `path` is a movie by its suffix, so that
    // createEngine() later finds them mapped. Blocks meanwhile: for a worker, and safe
    // there before the application object exists.
    static void loadAheadFor(const std::string& path);
    // Whether `path` is a movie by its suffix alone, as the play list tells movies.
    static bool isMoviePath(const std::string& path);
};

} // namespace vistrel
