#pragma once

#include "media/MovieEngine.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace vistrel {

// The loadable module that carries libmpv and libavformat. Loaded once per process, the
// first time a movie is needed, and never unloaded (mpv's threads may outlive any
// engine). Looked for, in order: the file named by $VISTREL_MOVIE_MODULE; next to the
// program (the build tree); in the installed module folder beside the program's.
class MovieModule {
  public:
    // A new engine; nullptr (logged in "vistrel.media.mpv") when the module cannot be
    // found or loaded. The first call loads the module and blocks meanwhile: call it off
    // the GUI thread. Safe from any thread.
    static std::unique_ptr<MovieEngine> createEngine();
    static QStringList candidatePaths();
};

} // namespace vistrel
